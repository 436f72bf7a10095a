#pragma once

#include <QString>

class QFileDialog;

namespace kelvo {

// Makes the panel propose and complete names with the extension (upper case, as the
// recorders and formats name their files), listing files of it in either case.
void setRequiredFileType(QFileDialog& panel, const QString& extension);

}  // namespace kelvo
