#include "history_window.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "db/formats.h"
#include "ui/seams.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

struct Caption
{
    const char *what; // nullptr: any
    const char *column;
    const char *caption;
};

// In the order the values are listed in a change.
const Caption kCaptions[] = {
    {"smena", "data", "Дата"},
    {"smena", "smena", "Смена"},
    {nullptr, "w_id", "Работник"},
    {nullptr, "id_person", "Работник"},
    {"smena", "i_id", "Изделие"},
    {"smena", "o_id", "Операция"},
    {"smena", "color", "Цвет"},
    {"smena", "cena", "Цена"},
    {"smena", "time", "Часы"},
    {"smena", "kol_vo", "Количество"},
    {"smena", "brak", "Брак"},
    {"smena", "prize", "Премия (%)"},
    {"smena", "id_doc", "Заявка"},
    {"smena", "id_doc_item", "Строка заявки"},
    {"gds_use", "id_gds_use", "ТМЦ"},
    {"gds_use", "f_qty_use", "Расход"},
    {"smena", "id_gds_use", "ТМЦ расхода"},
    {"smena", "f_gds_qty_use", "Расход ТМЦ"},
    {nullptr, "id_cons_use", "Партия"},
    {"smena", "ok", "Принята"},
    {"smena", "vvod", "Заведена"},
};

int captionOrder(const QString &what, const QString &column)
{
    for (int i = 0; i < int(std::size(kCaptions)); ++i) {
        const Caption &c = kCaptions[i];
        if ((!c.what || what == QLatin1String(c.what)) && column == QLatin1String(c.column))
            return i;
    }
    return int(std::size(kCaptions));
}

// A value as the history shows it: what a key names, numbers and dates in the program's form.
QString valueText(const QString &column, const QString &value, const QString &name)
{
    if (value.isNull())
        return QStringLiteral("—");
    if (!name.isEmpty())
        return name;
    // Key 0 is "none chosen".
    static const QStringList keys = {"w_id",       "id_person",   "i_id",   "o_id",       "color",
                                     "id_gds_use", "id_cons_use", "id_doc", "id_doc_item"};
    if (value == QLatin1String("0") && keys.contains(column))
        return QStringLiteral("—");
    if (column == QLatin1String("ok"))
        return value == QLatin1String("ok") ? QStringLiteral("да") : QStringLiteral("нет");
    if (column == QLatin1String("data"))
        return db::displayText(QDate::fromString(value, Qt::ISODate));
    if (column == QLatin1String("vvod"))
        return db::displayText(QDateTime::fromString(value.left(19), Qt::ISODate));
    bool number = false;
    const double v = value.toDouble(&number); // the server's form: a point, whatever LANG says
    return number ? db::formatGeneral(v) : value;
}

// What happened, in the words of the office. `shown` is the record the window is about.
QString eventText(const db::Dataset &ds, qint64 shown)
{
    const QString what = ds.asString(QStringLiteral("s_what"));
    const QString kind = ds.asString(QStringLiteral("s_kind"));
    const qint64 record = ds.asInteger(QStringLiteral("id_smena"));
    const qint64 row = ds.asInteger(QStringLiteral("id_row"));
    if (what == QLatin1String("smena")) {
        if (kind == QLatin1String("divide")) {
            if (record != shown)
                return QStringLiteral("Разделение: доля передана в запись № %1").arg(record);
            return row ? QStringLiteral("Создана разделением записи № %1").arg(row)
                       : QStringLiteral("Разделение по бригаде");
        }
        if (kind == QLatin1String("insert"))
            return QStringLiteral("Запись добавлена");
        if (kind == QLatin1String("delete"))
            return QStringLiteral("Запись удалена");
        if (kind == QLatin1String("accept"))
            return QStringLiteral("Запись принята");
        return QStringLiteral("Запись изменена");
    }
    if (what == QLatin1String("gds_use")) {
        if (kind == QLatin1String("insert"))
            return QStringLiteral("Расход ТМЦ добавлен");
        if (kind == QLatin1String("delete"))
            return QStringLiteral("Расход ТМЦ удален");
        return QStringLiteral("Расход ТМЦ изменен");
    }
    if (kind == QLatin1String("insert"))
        return QStringLiteral("Работник добавлен в бригаду");
    if (kind == QLatin1String("divide"))
        return QStringLiteral("Разделение: работник снят с бригады");
    if (kind == QLatin1String("delete"))
        return QStringLiteral("Работник удален из бригады");
    return QStringLiteral("Бригада изменена");
}

} // namespace

QString TForm34::columnCaption(const QString &what, const QString &column)
{
    const int i = captionOrder(what, column);
    return i < int(std::size(kCaptions)) ? QString::fromUtf8(kCaptions[i].caption) : QString();
}

TForm34::TForm34(QWidget *parent)
    : ui::Window(QStringLiteral("История записи"), parent)
{
    setObjectName(QStringLiteral("TForm34"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    for (db::Dataset *ds : {&lines, &since})
        ds->setConnection(&dataModule().ADO_DB);
    lines.setSql(QStringLiteral(
        "select id, d_when, s_login, s_what, s_kind, id_smena, id_row, s_column, s_old, s_new, "
        "s_old_name, s_new_name from accounts_dep.smena_history_lines(:id_smena)"));
    since.setSql(QStringLiteral("select min(d_since) as d_since from accounts_dep.history_since"));

    Label1 = new QLabel;
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Grid1 = new QTableWidget(0, 4);
    Grid1->setObjectName(QStringLiteral("Grid1"));
    Grid1->setHorizontalHeaderLabels({QStringLiteral("Когда"), QStringLiteral("Кто"),
                                      QStringLiteral("Что"), QStringLiteral("Было → стало")});
    Grid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid1->setWordWrap(true);
    Grid1->verticalHeader()->setVisible(false);
    Grid1->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {140, 110, 260};
    for (int c = 0; c < int(std::size(widths)); ++c)
        Grid1->horizontalHeader()->resizeSection(c, widths[c]);
    Label2 = new QLabel;
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setWordWrap(true);
    Button1 = new QPushButton(QStringLiteral("Закрыть"));
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);

    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(Button1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Grid1, 1);
    layout->addWidget(Label2);
    layout->addLayout(bottom);
    resize(900, 480);
}

void TForm34::openFor(qint64 id)
{
    readHistory(id);
    ui::showModal(this);
}

void TForm34::readHistory(qint64 id)
{
    Grid1->setRowCount(0);
    lines.close();
    lines.params().setInteger(QStringLiteral("id_smena"), id);
    lines.open();
    const db::CloseOnExit closer(lines);

    struct Value
    {
        int order;
        QString text;
    };
    bool inserted = false;
    bool deleted = false;
    bool seenOwn = false;
    qint64 event = -1;
    std::vector<Value> values;
    auto finishRow = [&] {
        if (event < 0)
            return;
        std::stable_sort(values.begin(), values.end(),
                         [](const Value &a, const Value &b) { return a.order < b.order; });
        QStringList texts;
        for (const Value &v : values)
            texts << v.text;
        const int row = Grid1->rowCount() - 1;
        Grid1->setItem(row, 3, new QTableWidgetItem(texts.join(u'\n')));
        values.clear();
    };
    for (lines.first(); !lines.eof(); lines.next()) {
        const qint64 eventId = lines.asInteger(QStringLiteral("id"));
        const QString what = lines.asString(QStringLiteral("s_what"));
        const QString kind = lines.asString(QStringLiteral("s_kind"));
        const bool own = lines.asInteger(QStringLiteral("id_smena")) == id;
        if (eventId != event) {
            finishRow();
            event = eventId;
            const int row = Grid1->rowCount();
            Grid1->insertRow(row);
            Grid1->setItem(row, 0, new QTableWidgetItem(lines.asString(QStringLiteral("d_when"))));
            Grid1->setItem(row, 1, new QTableWidgetItem(lines.asString(QStringLiteral("s_login"))));
            Grid1->setItem(row, 2, new QTableWidgetItem(eventText(lines, id)));
            if (own && what == QLatin1String("smena")) {
                // made here, by the clerk or by a division of another record
                if (kind == QLatin1String("insert")
                    || (kind == QLatin1String("divide") && !lines.isNull(QStringLiteral("id_row"))))
                    inserted = true;
                // newest first: the record is gone when its latest event is its deletion
                if (!seenOwn)
                    deleted = kind == QLatin1String("delete");
                seenOwn = true;
            }
        }
        if (lines.isNull(QStringLiteral("s_column")))
            continue;
        const QString column = lines.asString(QStringLiteral("s_column"));
        QString caption = columnCaption(what, column);
        if (caption.isEmpty())
            caption = column;
        const QString before = valueText(column, lines.value(QStringLiteral("s_old")).toString(),
                                         lines.asString(QStringLiteral("s_old_name")));
        const QString after = valueText(column, lines.value(QStringLiteral("s_new")).toString(),
                                        lines.asString(QStringLiteral("s_new_name")));
        QString text;
        if (kind == QLatin1String("insert")
            || (kind == QLatin1String("divide") && lines.isNull(QStringLiteral("s_old"))))
            text = QStringLiteral("%1: %2").arg(caption, after);
        else if (lines.isNull(QStringLiteral("s_new")) && kind != QLatin1String("update")
                 && kind != QLatin1String("accept"))
            text = QStringLiteral("%1: %2").arg(caption, before);
        else
            text = QStringLiteral("%1: %2 → %3").arg(caption, before, after);
        values.push_back({captionOrder(what, column), text});
    }
    finishRow();
    Grid1->resizeRowsToContents();

    Label1->setText(deleted ? QStringLiteral("Запись журнала № %1 (удалена)").arg(id)
                            : QStringLiteral("Запись журнала № %1").arg(id));
    if (inserted) {
        Label2->clear();
        Label2->setVisible(false);
    } else {
        since.close();
        since.open();
        const db::CloseOnExit sinceCloser(since);
        Label2->setText(QStringLiteral("История записей ведется с %1: что было с записью раньше, "
                                       "не записано.")
                            .arg(since.asString(QStringLiteral("d_since"))));
        Label2->setVisible(true);
    }
}
