#pragma once

#include <QValidator>
#include <functional>

class QEvent;
class QLineEdit;

namespace kelvo {

// Accepts a typed entry only when a check finds no problem with it, and tells the user why
// an entry is refused: when a finished entry (Return, Enter, Tab or leaving the field) is
// refused, the reason shows at the field and the field keeps the text for correcting. Guards
// a QLineEdit on its own (attachTo) and the cell editors of CheckedEntryDelegate.
class EntryValidator : public QValidator {
    Q_OBJECT

  public:
    // Why a text is refused; empty when it is acceptable.
    using Check = std::function<QString(const QString& text)>;

    EntryValidator(Check check, QObject* parent);

    // Acceptable, or Intermediate while the text is refused (so that it can still be typed).
    State validate(QString& input, int& position) const override;
    QString problem(const QString& text) const { return m_check(text); }

    // Gives the field a validator with the check, owned by the field, and shows the reason
    // when the user finishes a refused entry; Return and Enter are then swallowed.
    static EntryValidator* attachTo(QLineEdit* field, Check check);

    // Whether the event would finish an entry of the field that its EntryValidator refuses;
    // the reason is then shown at the field (and kept as its tool tip until it is accepted).
    static bool refusesToFinish(QLineEdit* field, const QEvent* event);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Check m_check;
};

}  // namespace kelvo
