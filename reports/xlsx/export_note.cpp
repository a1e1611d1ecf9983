#include "export_note.h"

#include "excel_link.h"
#include "ui/seams.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace reports {

ExportNote::ExportNote(ExcelLink &link, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("ExportNote"));
    LabelSaved = new QLabel(this);
    LabelSaved->setObjectName(QStringLiteral("LabelSaved"));
    // Long paths wrap at their blanks; the clerk may select the path to copy it.
    LabelSaved->setWordWrap(true);
    LabelSaved->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ButtonFolder = new QPushButton(QStringLiteral("Открыть папку"), this);
    ButtonFolder->setObjectName(QStringLiteral("ButtonFolder"));
    ButtonFolder->setAutoDefault(false);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(LabelSaved, 1);
    layout->addWidget(ButtonFolder, 0, Qt::AlignTop);
    setVisible(false);

    link.setSavedNote([this](const QString &file) { showFile(file); });
    ui::connectGuarded(ButtonFolder, &QPushButton::clicked, this, &ExportNote::ButtonFolderClick);
}

void ExportNote::showFile(const QString &file)
{
    m_file = file;
    LabelSaved->setText(file.isEmpty()
                            ? QString()
                            : QStringLiteral("Сохранено: ") + QDir::toNativeSeparators(file));
    setVisible(!file.isEmpty());
}

void ExportNote::ButtonFolderClick()
{
    if (!m_file.isEmpty())
        ui::openFolderOf(window(), m_file);
}

} // namespace reports
