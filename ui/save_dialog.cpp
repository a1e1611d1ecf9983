#include "save_dialog.h"

#include "ui/seams.h"

#include <QFileInfo>

namespace ui {

SaveFileDialog::SaveFileDialog(QWidget *parent, const QString &caption, const QString &proposed,
                               const QString &filter, const QString &suffix)
    : QFileDialog(parent, caption)
    , m_suffix(suffix)
{
    setObjectName(QStringLiteral("SaveFileDialog"));
    // The desktop's own dialog would speak the desktop's language, not always Russian.
    setOption(QFileDialog::DontUseNativeDialog);
    // Asked here, for the name with its suffix, through the program's boxes.
    setOption(QFileDialog::DontConfirmOverwrite);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setNameFilter(filter);
    const QFileInfo info(proposed);
    setDirectory(info.absolutePath());
    selectFile(info.fileName());
}

QString SaveFileDialog::withSuffix(const QString &name, const QString &suffix)
{
    if (suffix.isEmpty() || name.endsWith(u'.' + suffix, Qt::CaseInsensitive))
        return name;
    return name + u'.' + suffix;
}

void SaveFileDialog::accept()
{
    const QStringList files = selectedFiles();
    const QString typed = files.value(0);
    // A folder typed or picked is opened, as the dialog itself does.
    if (typed.isEmpty() || QFileInfo(typed).isDir()) {
        QFileDialog::accept();
        return;
    }
    const QString path = withSuffix(typed, m_suffix);
    const QFileInfo info(path);
    if (info.isDir()) {
        setDirectory(path);
        return;
    }
    if (info.exists()
        && !askYesNo(
            this, windowTitle(),
            QStringLiteral("Файл «%1» уже существует.\nЗаменить его?").arg(info.fileName()),
            Icon::Warning))
        return;
    m_chosen = path;
    QDialog::accept();
}

} // namespace ui
