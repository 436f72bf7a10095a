#include "app/RequiredFileType.h"

#include <QFileDialog>

namespace kelvo {

void setRequiredFileType(QFileDialog& panel, const QString& extension) {
    panel.setDefaultSuffix(extension);
    panel.setNameFilter(
        QFileDialog::tr("%1 files (*.%1 *.%2)").arg(extension, extension.toLower()));
}

}  // namespace kelvo
