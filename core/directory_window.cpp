#include "directory_window.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "db/sort_filter.h"
#include "ui/buttons.h"
#include "ui/data_grid.h"
#include "ui/lookup_box.h"
#include "ui/seams.h"
#include "ui/typed_input.h"

#include <QApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Keys that still reach a filter edit whose key-downs are swallowed: typing, Backspace, the
// dialog keys (Enter, Esc, Tab) and shortcuts such as Ctrl+V.
bool passesSwallowingFilter(const QKeyEvent *key)
{
    switch (key->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return true;
    default:
        break;
    }
    if (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
        return true;
    // By character, not by UTF-16 unit: an emoji arrives as two halves, neither of them printable.
    const QList<uint> text = key->text().toUcs4();
    return !text.isEmpty() && QChar::isPrint(char32_t(text.first()));
}

} // namespace

void runStatement(db::Command &command, const QString &sql, const db::Params &params)
{
    command.params() = params;
    command.setText(sql);
    command.execute();
}

// --- list --------------------------------------------------------------------------------------

DirectoryWindow::DirectoryWindow(const Settings &settings, QWidget *parent)
    : ui::Window(settings.caption, parent)
    , m_settings(settings)
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    DBGrid1 = new ui::DataGrid;
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setWordWrap(false);
    DBGrid1->setColumns(settings.columns);
    DBGrid1->setDataset(settings.dataset);
    DBGrid1->verticalHeader()->setDefaultSectionSize(DBGrid1->fontMetrics().height() + 8);
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    for (int c = 0; c < settings.columnWidths.size(); ++c)
        DBGrid1->horizontalHeader()->resizeSection(c, settings.columnWidths[c]);
    // The current row is always shown selected, also after a reload or a filter.
    const auto showCurrent = [this] {
        if (list().isOpen() && list().recNo() > 0) {
            DBGrid1->selectionModel()->select(DBGrid1->model()->index(list().recNo() - 1, 0),
                                              QItemSelectionModel::ClearAndSelect
                                                  | QItemSelectionModel::Rows);
        }
    };
    connect(settings.dataset, &db::Dataset::currentChanged, this, showCurrent);
    connect(settings.dataset, &db::Dataset::reset, this, showCurrent);

    addButton = ui::namedDefaultButton(QStringLiteral("Добавить"), settings.addButtonName);
    Button2 = ui::namedButton(QStringLiteral("Изменить"), "Button2");
    Button3 = ui::namedButton(QStringLiteral("Удалить"), "Button3");
    exitButton = ui::namedButton(QStringLiteral("Выход"), settings.exitButtonName);
    Edit1 = new QLineEdit;
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->installEventFilter(this);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(addButton);
    bottom->addWidget(Button2);
    bottom->addWidget(Button3);
    if (settings.spacerBeforeFilter)
        bottom->addSpacing(24);
    bottom->addWidget(Edit1);
    bottom->addStretch(1);
    bottom->addWidget(exitButton);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(DBGrid1, 1);
    layout->addLayout(bottom);
    int width = 60;
    for (int w : settings.columnWidths)
        width += w;
    resize(qMax(width, 640), 480);

    ui::connectGuarded(Edit1, &QLineEdit::textChanged, this, &DirectoryWindow::Edit1Change);
    connect(exitButton, &QPushButton::clicked, this, &QDialog::reject);
    if (settings.buttonsAct) {
        ui::connectGuarded(Button2, &QPushButton::clicked, this, &DirectoryWindow::Button2Click);
        ui::connectGuarded(DBGrid1, &ui::DataGrid::rowDoubleClicked, this,
                           &DirectoryWindow::Button2Click);
        ui::connectGuarded(Button3, &QPushButton::clicked, this, &DirectoryWindow::Button3Click);
    }
}

int DirectoryWindow::showAsChooser(const ChooserOpening &how)
{
    tag = how.tag;
    if (how.captionChoose)
        Button2->setText(QStringLiteral("Выбрать"));
    if (how.chooseIsDefault)
        Button2->setDefault(true);
    Button2->setVisible(true);
    Button3->setVisible(false);
    if (how.hideAdd)
        addButton->setVisible(false);
    if (how.clearFilter) {
        Edit1->setVisible(true);
        Edit1->clear();
    }
    const int result = ui::showModal(this);
    if (how.plainChooseAfter)
        Button2->setDefault(false);
    if (how.hideFilterAfter)
        Edit1->setVisible(false);
    if (how.restoreAfter) {
        addButton->setVisible(true);
        Button3->setVisible(true);
        Button2->setText(QStringLiteral("Изменить"));
    }
    return result;
}

void DirectoryWindow::Edit1Change()
{
    const QString typed = Edit1->text();
    if (typed.isEmpty()) {
        list().setFiltered(false);
        if (list().isOpen())
            list().first();
        return;
    }
    // The typed text is matched literally: quotes, "%" and "_" find themselves.
    list().setFilter(db::likePrefixFilter(m_settings.filterField, typed));
    list().setFiltered(true);
    // A new filter shows the list from its first row.
    if (list().isOpen())
        list().first();
}

void DirectoryWindow::Button2Click()
{
    if (tag != 0) {
        chooseRow();
        return;
    }
    // Nothing to change on an empty list.
    if (!list().isOpen() || list().isEmpty())
        return;
    const int row = list().recNo();
    changeRow();
    reloadAt(row);
}

void DirectoryWindow::Button3Click()
{
    if (!list().isOpen() || list().isEmpty())
        return;
    const int row = list().recNo();
    if (!ui::askYesNo(this, QStringLiteral("Удаление"), m_settings.deleteQuestion))
        return;
    db::Params p;
    p.setInteger(QStringLiteral("id"), list().asInteger(QStringLiteral("id")));
    // A refused delete stops here with the server's text; the list stays as it was.
    db::Command &command
        = m_settings.deleteCommand ? m_settings.deleteCommand() : dataModule().cmd_all;
    runStatement(command, m_settings.deleteStatement, p);
    reloadAt(row);
}

void DirectoryWindow::FormActivate()
{
    if (m_settings.focusFilterOnActivate && !Edit1->isHidden())
        Edit1->setFocus();
}

void DirectoryWindow::addThrough(QDialog *editor)
{
    if (ui::showModal(editor) == QDialog::Accepted)
        reload();
}

void DirectoryWindow::reload()
{
    list().close();
    list().open();
}

void DirectoryWindow::reloadAt(int rowNumber)
{
    reload();
    if (list().recordCount() > 0)
        list().setRecNo(rowNumber);
}

bool DirectoryWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Edit1 && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            ui::guarded(this, [&] {
                if (!list().isOpen())
                    return;
                if (key->key() == Qt::Key_Up)
                    list().prior();
                else if (list().recNo() < list().recordCount())
                    list().next();
            });
            return true;
        }
        if (m_settings.filterKeys == FilterKeys::ConsumeAll && !passesSwallowingFilter(key))
            return true;
    }
    return ui::Window::eventFilter(watched, event);
}

void DirectoryWindow::showEvent(QShowEvent *event)
{
    ui::Window::showEvent(event);
    if (!event->spontaneous())
        ui::guarded(this, [this] { FormActivate(); });
}

// --- editor ------------------------------------------------------------------------------------

DirectoryEditor::DirectoryEditor(const QString &caption, const QString &groupTitle, QWidget *parent)
    : ui::Window(caption, parent)
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    m_group = new QGroupBox(groupTitle);
    m_fields = new QFormLayout(m_group);
    m_fields->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);

    Button1 = ui::namedDefaultButton(QStringLiteral("Записать"), "Button1");
    Button2 = ui::namedButton(QStringLiteral("Отмена"), "Button2");
    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(Button1);
    bottom->addWidget(Button2);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_group);
    layout->addStretch(1);
    layout->addLayout(bottom);
    setMinimumWidth(440);

    ui::connectGuarded(Button1, &QPushButton::clicked, this, &DirectoryEditor::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

QLineEdit *DirectoryEditor::addEdit(const char *name, const QString &label, int limit)
{
    auto *edit = new QLineEdit;
    m_texts.insert(edit, {label, limit});
    edit->setObjectName(QLatin1String(name));
    m_fields->addRow(label, edit);
    if (!m_first)
        m_first = edit;
    return edit;
}

ui::LookupBox *DirectoryEditor::addLookup(const char *name, const QString &label,
                                          db::Dataset &table, const QString &tableName)
{
    table.setConnection(&dataModule().ADO_DB);
    table.setTable(tableName);
    auto *box = new ui::LookupBox;
    box->setObjectName(QLatin1String(name));
    box->setKeyField(QStringLiteral("id"));
    box->setListField(QStringLiteral("s_caption"));
    box->setDataset(&table);
    m_fields->addRow(label, box);
    m_lookups.append({box, &table, QVariant()});
    return box;
}

void DirectoryEditor::openLookups()
{
    for (Lookup &l : m_lookups) {
        l.table->close();
        l.table->open();
        l.table->setSort(QStringLiteral("s_caption"));
        l.table->first();
        l.box->setKeyValue(l.lastKey);
    }
}

void DirectoryEditor::closeLookups()
{
    for (Lookup &l : m_lookups) {
        if (!l.table->isOpen())
            continue;
        l.lastKey = l.box->keyValue();
        l.table->close();
    }
}

bool DirectoryEditor::allFilled(const QStringList &texts)
{
    for (const QString &t : texts) {
        if (t.trimmed().isEmpty()) {
            ui::showError(this, QStringLiteral("Все поля должны быть заполнены!"));
            return false;
        }
    }
    return true;
}

void DirectoryEditor::saveRow(db::Params params, const QString &insertSql, const QString &updateSql,
                              db::Command *command)
{
    if (!adding())
        params.setInteger(QStringLiteral("id"), id);
    // A refused statement stops here with the server's text; the editor stays open.
    runStatement(command ? *command : dataModule().cmd_all, adding() ? insertSql : updateSql,
                 params);
    accept();
}

QString DirectoryEditor::typedText(const QLineEdit *edit) const
{
    const TextField field = m_texts.value(edit);
    const QString t = ui::readText(edit->text(), field.label, field.limit);
    return t.isNull() ? QStringLiteral("") : t;
}

int DirectoryEditor::keyOrZero(const ui::LookupBox *box)
{
    const QVariant key = box->keyValue();
    return key.isNull() ? 0 : key.toInt();
}

void DirectoryEditor::showEvent(QShowEvent *event)
{
    ui::Window::showEvent(event);
    if (!event->spontaneous() && m_first)
        m_first->setFocus();
}

void DirectoryEditor::hideEvent(QHideEvent *event)
{
    ui::Window::hideEvent(event);
    if (!event->spontaneous())
        ui::guarded(this, [this] { closeLookups(); });
}

void DirectoryEditor::wheelEvent(QWheelEvent *event)
{
    auto *box = qobject_cast<ui::LookupBox *>(focusWidget());
    if (box && event->angleDelta().y() != 0) {
        box->wheelStep(event->angleDelta().y());
        event->accept();
        return;
    }
    ui::Window::wheelEvent(event);
}
