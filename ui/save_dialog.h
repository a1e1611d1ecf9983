#pragma once
// The program's save dialog: Qt's own file dialog on every desktop, so it speaks the program's
// Russian; a name typed without the file type's suffix gets it, and replacing a file is asked
// through the program's message boxes.

#include <QFileDialog>

namespace ui {

class SaveFileDialog : public QFileDialog
{
    Q_OBJECT
public:
    // Opens in the folder of `proposed` (a whole path) with its name filled in; `suffix` is the
    // file type's ("pdf").
    SaveFileDialog(QWidget *parent, const QString &caption, const QString &proposed,
                   const QString &filter, const QString &suffix);

    // The path accepted, suffix included; "" until the dialog is accepted.
    QString chosenPath() const { return m_chosen; }
    // `name` with "." and the suffix added unless it ends with them already (in any case).
    // Qt's own default suffix leaves a name with a point in it alone ("… 30.11.2026").
    static QString withSuffix(const QString &name, const QString &suffix);

public Q_SLOTS:
    void accept() override;

private:
    QString m_suffix;
    QString m_chosen;
};

} // namespace ui
