#include "clients_harness.h"

#include "app/login_window.h"
#include "app/startup.h"
#include "core/data_module.h"
#include "core/forms.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "db/db_error.h"
#include "db/formats.h"
#include "db/transaction.h"
#include "directories/personnel_window.h"
#include "journal/entry_editor.h"
#include "journal/journal_window.h"
#include "journal/material_window.h"
#include "processes/process_list_window.h"
#include "timesheet/hours_posting.h"
#include "timesheet/timesheet_window.h"
#include "ui/data_grid.h"
#include "ui/lookup_box.h"
#include "ui/seams.h"

#include <QDateEdit>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <random>

namespace clients {

namespace {

const QString kRoleArg = QStringLiteral("--clients-role");
const QString kLoginPrefix = QStringLiteral("tabel_client");
// The goods of the shared batches the clients draw on, and the item their records make.
constexpr int kScarceGoods = 900;
constexpr int kSheetGoods = 501;
constexpr int kItem = 205;

// Operation kinds as the report names them.
const QString kAdd = QStringLiteral("ввод записи");
const QString kChange = QStringLiteral("изменение");
const QString kDelete = QStringLiteral("удаление");
const QString kAccept = QStringLiteral("приёмка");
const QString kMaterial = QStringLiteral("расход ТМЦ");
const QString kDivide = QStringLiteral("деление бригады");
const QString kRebuild = QStringLiteral("пересчёт месяца");

// An accepted record as its acceptance left it: the quantity and the material rows.
const char *const acceptedStateSql
    = "select s.kol_vo || ' / ' || coalesce((select string_agg(u.id || ':' || u.f_qty_use, ' ' "
      "order by u.id) from accounts_dep.smena_gds_use u where u.id_smena = s.id), '') as state "
      "from accounts_dep.smena s where s.id = :id";

QString argValue(const QStringList &args, const QString &name, const QString &fallback = {})
{
    const qsizetype i = args.indexOf(name);
    return i >= 0 && i + 1 < args.size() ? args.at(i + 1) : fallback;
}

QString connectionString(const QString &host, int port, const QString &database,
                         const QString &login, const QString &password)
{
    db::ConnectionParams p;
    p.server = host;
    p.port = port;
    p.database = database;
    p.login = login;
    p.password = password;
    return db::buildConnectionString(p);
}

// Quantities as the numeric(28,6) column keeps them.
qint64 micro(double v)
{
    return qint64(std::llround(v * 1e6));
}

// --- seams of a client: every box answered Yes, every window driven by the client's script ---

class Messages : public ui::MessageSeam
{
public:
    QStringList errors; // boxes with one button, in order
    int questions = 0;
    bool answerNo = false; // a clerk who declines what the program offers

    QMessageBox::StandardButton show(QWidget *, const QString &, const QString &text, ui::Icon,
                                     QMessageBox::StandardButtons buttons) override
    {
        const auto bits = uint(buttons.toInt());
        if (bits != 0 && (bits & (bits - 1)) == 0) {
            errors << text;
            return QMessageBox::StandardButton(bits);
        }
        ++questions;
        if (answerNo && buttons.testFlag(QMessageBox::No))
            return QMessageBox::No;
        return buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
    }
};

class Modal : public ui::ModalSeam
{
public:
    using Action = std::function<int(QDialog *)>;

    template<typename Window>
    void script(std::function<int(Window *)> action)
    {
        m_scripts[QString::fromLatin1(Window::staticMetaObject.className())].append(
            [action](QDialog *d) { return action(static_cast<Window *>(d)); });
    }
    void clear() { m_scripts.clear(); }
    QStringList unscripted;

    int exec(QDialog *dialog) override
    {
        const QString name = QString::fromLatin1(dialog->metaObject()->className());
        QList<Action> &queue = m_scripts[name];
        if (queue.isEmpty()) {
            unscripted << name;
            return QDialog::Rejected;
        }
        const Action action = queue.takeFirst();
        struct Showing
        {
            QDialog *d;
            ~Showing() { d->hide(); }
        } showing {dialog};
        dialog->setResult(0);
        dialog->show();
        return action(dialog);
    }

private:
    QHash<QString, QList<Action>> m_scripts;
};

class NoEnd : public ui::EndSeam
{
public:
    void endProgram() override { }
};

// --- what a client means to hold -------------------------------------------------------------

struct Record
{
    int id = 0;
    int worker = 0;
    QDate date;
    int shift = 1;
    int operation = 0;
    double quantity = 0;
    int rejects = 0;
    int hours = 0;
    bool deleted = false;
    QMap<int, double> materials; // material row id -> quantity

    QString key() const
    {
        return QStringLiteral("%1|%2|%3|%4|%5|%6|%7")
            .arg(worker)
            .arg(date.toString(Qt::ISODate))
            .arg(shift)
            .arg(operation)
            .arg(micro(quantity))
            .arg(rejects)
            .arg(hours);
    }
    QJsonObject toJson() const
    {
        QJsonObject m;
        for (auto it = materials.begin(); it != materials.end(); ++it)
            m.insert(QString::number(it.key()), it.value());
        return {{QStringLiteral("id"), id},
                {QStringLiteral("key"), key()},
                {QStringLiteral("deleted"), deleted},
                {QStringLiteral("materials"), m}};
    }
};

struct Operation
{
    int id = 0;
    double price = 0;
    QString text;
};

class Client
{
public:
    explicit Client(const QStringList &args);
    int run();

private:
    TForm1 *j() const { return forms().journal; }
    int random(int from, int to) { return std::uniform_int_distribution<int>(from, to)(m_rng); }
    bool chance(int percent) { return random(1, 100) <= percent; }
    QDate randomDay() { return QDate(m_year, m_month, random(1, m_days)); }
    void think() { QThread::msleep(uint(random(0, m_thinkMs))); }
    void fail(const QString &text) { m_failures << text; }
    // Error boxes shown since `from`.
    QStringList errorsSince(qsizetype from);
    // What the client's requisition line still needs, as the database counts it now.
    double lineNeeds();
    // The record's quantity and material rows as the database holds them.
    QString heldState(int id);

    void showDay(const QDate &day, int shift);
    Record *pickOwn();
    static bool choose(ui::LookupBox *box, int key);
    void scriptWorker(int person);
    void scriptOperation(const Operation &op);
    QMap<int, double> materialRows(TForm11 *w);
    void addMaterial(TForm11 *w, Record &r);
    void deleteMaterial(TForm11 *w, Record &r);

    void add();
    void change();
    void remove();
    void accept();
    void rebuild();
    void writeLog(double seconds);

    QString m_host, m_database, m_login, m_password, m_logPath;
    int m_port = 0, m_index = 0, m_seconds = 0, m_year = 0, m_month = 0, m_days = 0;
    int m_doc = 0, m_line = 0, m_thinkMs = 0;
    bool m_rebuilder = false;
    int m_round = 0;
    bool m_first = false; // the first round: every kind of work, with material and a brigade
    QList<int> m_workers;
    QList<Operation> m_operations;
    std::mt19937 m_rng;

    Messages m_messages;
    Modal m_modal;
    NoEnd m_end;
    db::Connection m_check; // a second connection of the same login, to look at what was saved

    QMap<int, Record> m_records;
    QJsonArray m_divisions; // keys of the records a division made
    QList<int> m_accepted;
    QJsonObject m_acceptedStates; // id -> the record right after this client accepted it
    QMap<QString, qint64> m_ops;
    QStringList m_failures;
};

Client::Client(const QStringList &args)
{
    m_index = argValue(args, kRoleArg).toInt();
    m_host = argValue(args, QStringLiteral("--host"));
    m_port = argValue(args, QStringLiteral("--port")).toInt();
    m_database = argValue(args, QStringLiteral("--database"));
    m_login = argValue(args, QStringLiteral("--login"));
    m_password = argValue(args, QStringLiteral("--password"));
    m_seconds = argValue(args, QStringLiteral("--seconds")).toInt();
    m_logPath = argValue(args, QStringLiteral("--log"));
    m_year = argValue(args, QStringLiteral("--year")).toInt();
    m_month = argValue(args, QStringLiteral("--month")).toInt();
    m_days = argValue(args, QStringLiteral("--days")).toInt();
    m_doc = argValue(args, QStringLiteral("--doc")).toInt();
    m_line = argValue(args, QStringLiteral("--line")).toInt();
    m_thinkMs = argValue(args, QStringLiteral("--think")).toInt();
    m_rebuilder = args.contains(QStringLiteral("--rebuilder"));
    for (const QString &w : argValue(args, QStringLiteral("--workers")).split(QLatin1Char(',')))
        m_workers << w.toInt();
    m_rng.seed(argValue(args, QStringLiteral("--seed")).toUInt() * 7919u + uint(m_index));
}

QStringList Client::errorsSince(qsizetype from)
{
    return m_messages.errors.mid(from);
}

double Client::lineNeeds()
{
    db::Dataset ds(&m_check);
    ds.setSql(QStringLiteral("select coalesce(sum(f_qty), 0) as f_qty from "
                             "accounts_dep.v_mnf_requisition_item where id = :line"));
    ds.params().setInteger(QStringLiteral("line"), m_line);
    ds.open();
    return ds.asFloat(QStringLiteral("f_qty"));
}

QString Client::heldState(int id)
{
    db::Dataset ds(&m_check);
    ds.setSql(QString::fromLatin1(acceptedStateSql));
    ds.params().setInteger(QStringLiteral("id"), id);
    ds.open();
    return ds.isEmpty() ? QString() : ds.asString(QStringLiteral("state"));
}

void Client::showDay(const QDate &day, int shift)
{
    // The journal of that day, as the clerk picks it: the shift button, then the date.
    ui::setFixedNow(QDateTime(day, QTime(9, 0)));
    QRadioButton *buttons[]
        = {j()->RadioButton1, j()->RadioButton2, j()->RadioButton3, j()->RadioButton4};
    buttons[shift - 1]->setChecked(true);
    j()->DateT->setDate(day);
    ui::guarded(j(), [this] { j()->DateTChange(); });
}

Record *Client::pickOwn()
{
    QList<int> live;
    for (const Record &r : std::as_const(m_records)) {
        if (!r.deleted)
            live << r.id;
    }
    if (live.isEmpty())
        return nullptr;
    return &m_records[live.at(random(0, int(live.size()) - 1))];
}

bool Client::choose(ui::LookupBox *box, int key)
{
    for (int i = 0; i < box->count(); ++i) {
        if (box->itemData(i).toString() == QString::number(key)) {
            box->setCurrentIndex(i);
            emit box->activated(i);
            return true;
        }
    }
    return false;
}

void Client::scriptWorker(int person)
{
    m_modal.script<TForm5>([person](TForm5 *l) {
        if (dataModule().workers.locate(QStringLiteral("id"), person))
            l->Button2->click();
        return l->result();
    });
}

void Client::scriptOperation(const Operation &op)
{
    // The pick of the process list's operations window, handed over as it does.
    m_modal.script<TForm4>([op](TForm4 *) {
        OperationTarget *t = OperationTarget::current();
        t->picked = true;
        t->operationId = op.id;
        t->itemId = kItem;
        t->price = op.price;
        t->text = op.text;
        return int(QDialog::Accepted);
    });
}

QMap<int, double> Client::materialRows(TForm11 *w)
{
    QMap<int, double> rows;
    db::Dataset &list = w->smena_gds_use;
    if (!list.isOpen())
        return rows;
    const int at = list.isEmpty() ? 0 : list.recNo();
    for (list.first(); !list.eof(); list.next())
        rows.insert(int(list.asInteger(QStringLiteral("id"))),
                    list.asFloat(QStringLiteral("f_qty_use")));
    if (at > 0)
        list.setRecNo(at);
    return rows;
}

void Client::addMaterial(TForm11 *w, Record &r)
{
    const QMap<int, double> before = materialRows(w);
    const int goods = chance(75) ? kScarceGoods : kSheetGoods;
    const bool more = chance(20);
    double typed = 0;
    bool chosen = false;
    m_modal.script<TForm24>([&](TForm24 *m) {
        chosen = choose(m->LCB_id_gds_use, goods);
        if (!chosen) {
            m->Button2->click();
            return m->result();
        }
        // What the norm still allows is proposed; now and then more is typed and the question
        // about the remainder answered Yes.
        if (more)
            m->Edit7->setText(db::formatGeneral(db::parseNumber(m->Edit7->text()) + 5));
        typed = db::parseNumber(m->Edit7->text());
        think();
        m->Button1->click();
        if (m->isVisible())
            m->Button2->click();
        return m->result();
    });
    const qsizetype errors = m_messages.errors.size();
    w->Button5->click();
    const QStringList shown = errorsSince(errors);
    ++m_ops[kMaterial];
    if (!chosen) {
        fail(QStringLiteral("материал: ТМЦ %1 нет в списке записи %2").arg(goods).arg(r.id));
        return;
    }
    const QMap<int, double> after = materialRows(w);
    QList<int> added;
    for (auto it = after.begin(); it != after.end(); ++it) {
        if (!before.contains(it.key()))
            added << it.key();
    }
    for (auto it = before.begin(); it != before.end(); ++it) {
        if (!after.contains(it.key()))
            fail(QStringLiteral("материал: строка %1 записи %2 пропала").arg(it.key()).arg(r.id));
    }
    if (added.size() > 1 || (added.size() == 1 && micro(after[added[0]]) > micro(typed) + 1))
        fail(QStringLiteral("материал: записи %1 добавлено не то: %2 строк")
                 .arg(r.id)
                 .arg(added.size()));
    if (added.size() == 1 && !shown.isEmpty())
        fail(QStringLiteral("материал: строка записана, но показана ошибка «%1»").arg(shown[0]));
    for (int id : added)
        r.materials.insert(id, after[id]);
}

void Client::deleteMaterial(TForm11 *w, Record &r)
{
    db::Dataset &list = w->smena_gds_use;
    if (!list.isOpen() || list.isEmpty())
        return;
    const int id = int(list.asInteger(QStringLiteral("id")));
    const qsizetype errors = m_messages.errors.size();
    w->Button6->click();
    ++m_ops[kMaterial];
    if (errorsSince(errors).isEmpty())
        r.materials.remove(id);
}

void Client::add()
{
    Record r;
    r.date = randomDay();
    r.shift = random(1, 4);
    r.worker = m_workers.at(random(0, int(m_workers.size()) - 1));
    const Operation op = m_operations.at(random(0, int(m_operations.size()) - 1));
    r.operation = op.id;
    r.quantity = random(8, 120) / 4.0;
    r.rejects = random(0, 2);
    r.hours = random(1, 8);
    const bool material = m_first || chance(50);
    QList<int> brigade;
    if (m_first || chance(35)) {
        const int n = random(1, 2);
        while (brigade.size() < n) {
            const int m = m_workers.at(random(0, int(m_workers.size()) - 1));
            if (m != r.worker && !brigade.contains(m))
                brigade << m;
        }
    }
    const bool divide = !brigade.isEmpty() && (m_first || chance(80));
    showDay(r.date, r.shift);

    m_modal.script<TForm11>([&](TForm11 *w) {
        w->RG1Item0->click();
        if (!choose(w->LCB_id_doc, m_doc) || !choose(w->LCB_id_doc_item, m_line)) {
            // The line leaves the list once the clerks sharing it have made what it needs.
            if (lineNeeds() > 0)
                fail(QStringLiteral("ввод: заявка %1 или строка %2 не в списке")
                         .arg(m_doc)
                         .arg(m_line));
            w->Button2->click();
            return w->result();
        }
        scriptWorker(r.worker);
        w->Button3->click();
        scriptOperation(op);
        w->Button4->click();
        w->Edit3->setText(db::formatGeneral(r.quantity));
        w->Edit4->setText(QString::number(r.rejects));
        w->Edit6->setText(QString::number(r.hours));
        think();
        const qsizetype errors = m_messages.errors.size();
        w->Button1->click();
        const QStringList shown = errorsSince(errors);
        if (!shown.isEmpty() || w->recordId == 0) {
            if (shown.isEmpty())
                fail(QStringLiteral("ввод: запись не сохранена и ошибки не показано"));
            if (w->isVisible())
                w->Button2->click();
            return w->result();
        }
        r.id = w->recordId;
        m_records.insert(r.id, r);
        Record &own = m_records[r.id];

        // The editor and the journal go on with the record this client just entered.
        db::Dataset &journal = j()->currentJournal();
        const int journalId = journal.isOpen() && !journal.isEmpty()
            ? int(journal.asInteger(QStringLiteral("id")))
            : 0;
        db::Dataset saved(&m_check);
        saved.setSql(QStringLiteral("select w_id, data, smena, o_id, kol_vo, brak, time, "
                                    "id_doc_item from accounts_dep.smena where id = :id"));
        saved.params().setInteger(QStringLiteral("id"), r.id);
        saved.open();
        QString savedKey;
        if (!saved.isEmpty()) {
            Record s;
            s.worker = int(saved.asInteger(QStringLiteral("w_id")));
            s.date = saved.asDate(QStringLiteral("data"));
            s.shift = int(saved.asInteger(QStringLiteral("smena")));
            s.operation = int(saved.asInteger(QStringLiteral("o_id")));
            s.quantity = saved.asFloat(QStringLiteral("kol_vo"));
            s.rejects = int(saved.asInteger(QStringLiteral("brak")));
            s.hours = int(saved.asInteger(QStringLiteral("time")));
            savedKey = s.key() + QLatin1Char('|')
                + QString::number(saved.asInteger(QStringLiteral("id_doc_item")));
        }
        if (savedKey != r.key() + QLatin1Char('|') + QString::number(m_line)
            || w->Label10->text() != QString::number(r.id) || journalId != r.id)
            fail(QStringLiteral("редактор: после «Запись» стоит на записи %1 (журнал на %2), "
                                "в базе под этим номером «%3», введено «%4»")
                     .arg(w->Label10->text())
                     .arg(journalId)
                     .arg(savedKey, r.key()));

        if (material)
            addMaterial(w, own);
        if (!brigade.isEmpty()) {
            for (int m : brigade) {
                scriptWorker(m);
                w->Button7->click();
            }
            if (divide) {
                const qsizetype before = m_messages.errors.size();
                w->Button9->click();
                ++m_ops[kDivide];
                if (errorsSince(before).isEmpty()) {
                    // The documented division: each member a truncated share, the worker the
                    // rest; hours are not divided.
                    const int n = int(brigade.size()) + 1;
                    const double share = std::trunc(own.quantity * 1e6 / n) / 1e6;
                    const int shareRejects = own.rejects / n;
                    own.quantity = (micro(own.quantity) - micro(share) * (n - 1)) / 1e6;
                    own.rejects -= shareRejects * (n - 1);
                    for (int m : brigade) {
                        Record part = own;
                        part.worker = m;
                        part.quantity = share;
                        part.rejects = shareRejects;
                        m_divisions.append(part.key());
                    }
                }
            }
        }
        // Leaving a brigade not divided, the clerk declines the division the editor offers:
        // the members are taken back and the record stays as entered.
        m_messages.answerNo = !brigade.isEmpty() && !divide;
        if (w->isVisible())
            w->Button2->click();
        m_messages.answerNo = false;
        return w->result();
    });
    j()->Button1->click();
    ++m_ops[kAdd];
}

void Client::change()
{
    Record *r = pickOwn();
    if (!r)
        return add();
    showDay(r->date, r->shift);
    if (!j()->currentJournal().locate(QStringLiteral("id"), r->id)) {
        fail(QStringLiteral("изменение: своей записи %1 нет в журнале %2, смена %3")
                 .arg(r->id)
                 .arg(r->date.toString(QStringLiteral("dd.MM.yyyy")))
                 .arg(r->shift));
        return;
    }
    Record next = *r;
    const int what = m_first ? 1 : random(1, 10);
    if (what <= 6) {
        next.quantity = random(8, 120) / 4.0;
        next.hours = random(1, 8);
        next.rejects = random(0, 2);
        if (chance(25))
            next.date = randomDay();
    }
    m_modal.script<TForm11>([&](TForm11 *w) {
        if (what <= 6) {
            w->Edit3->setText(db::formatGeneral(next.quantity));
            w->Edit4->setText(QString::number(next.rejects));
            w->Edit6->setText(QString::number(next.hours));
            w->DTimeP->setDate(next.date);
            think();
            const qsizetype errors = m_messages.errors.size();
            w->Button1->click();
            if (errorsSince(errors).isEmpty() && w->recordId == r->id) {
                const QMap<int, double> materials = r->materials;
                *r = next;
                r->materials = materials;
            }
            ++m_ops[kChange];
        } else if (what <= 9) {
            addMaterial(w, *r);
        } else {
            deleteMaterial(w, *r);
        }
        if (w->isVisible())
            w->Button2->click();
        return w->result();
    });
    think();
    j()->Button2->click();
}

void Client::remove()
{
    Record *r = pickOwn();
    if (!r)
        return add();
    showDay(r->date, r->shift);
    if (!j()->currentJournal().locate(QStringLiteral("id"), r->id))
        return;
    think();
    const qsizetype errors = m_messages.errors.size();
    const int questions = m_messages.questions;
    j()->Button3->click();
    // Asked and answered Yes, no error: the record is gone with its material rows.
    if (m_messages.questions > questions && errorsSince(errors).isEmpty())
        r->deleted = true;
    ++m_ops[kDelete];
}

void Client::accept()
{
    const Record *own = m_first ? pickOwn() : nullptr;
    if (own)
        showDay(own->date, own->shift);
    else
        showDay(randomDay(), random(1, 4));
    db::Dataset &ds = j()->currentJournal();
    if (!ds.isOpen() || ds.isEmpty())
        return;
    ds.setRecNo(random(1, ds.recordCount()));
    if (ds.asString(QStringLiteral("ok")) == QLatin1String("ok"))
        return;
    const int id = int(ds.asInteger(QStringLiteral("id")));
    j()->DBGrid2->clearRowSelection();
    think();
    const qsizetype errors = m_messages.errors.size();
    ui::guarded(j(), [this] { j()->Button5Click(); });
    if (errorsSince(errors).isEmpty()) {
        m_accepted << id;
        m_acceptedStates.insert(QString::number(id), heldState(id));
    }
    ++m_ops[kAccept];
}

void Client::rebuild()
{
    ui::setFixedNow(QDateTime(randomDay(), QTime(9, 0)));
    ui::guarded(j(), [this] { j()->FormActivate(); });
    const qsizetype errors = m_messages.errors.size();
    m_modal.script<TForm19>([](TForm19 *t) {
        t->Button1->click();
        t->Button4->click();
        return t->result();
    });
    ui::guarded(j(), [this] { j()->N11Click(); });
    errorsSince(errors);
    ++m_ops[kRebuild];
}

int Client::run()
{
    ui::setMessageSeam(&m_messages);
    ui::setModalSeam(&m_modal);
    ui::setEndSeam(&m_end);
    ui::setFixedNow(QDateTime(QDate(m_year, m_month, 1), QTime(9, 0)));

    try {
        m_check.open(connectionString(m_host, m_port, m_database, m_login, m_password));
        db::Dataset ops(&m_check);
        ops.setSql(QStringLiteral(
            "select o.id, o.price, ii.marka || '; ' || ot.s_caption || '; ' || os.s_caption as "
            "text from mnf_operation.operation o join cmn_inventory_items.inventory_items ii on "
            "ii.id = o.id_inventory_items join mnf_operation.operation_type ot on ot.id = "
            "o.id_type join mnf_operation.operation_state os on os.id = o.id_state where "
            "o.id_inventory_items = :item order by o.id"));
        ops.params().setInteger(QStringLiteral("item"), kItem);
        ops.open();
        for (ops.first(); !ops.eof(); ops.next())
            m_operations.append({int(ops.asInteger(QStringLiteral("id"))),
                                 ops.asFloat(QStringLiteral("price")),
                                 ops.asString(QStringLiteral("text"))});
    } catch (const db::DbError &e) {
        qCritical("Клиент %d: нет подключения: %s", m_index, qPrintable(e.text()));
        return 2;
    }

    const QString server = m_host + QLatin1Char(':') + QString::number(m_port);
    if (!startProgram({QStringLiteral("tabel"), server, m_database})) {
        qCritical("Клиент %d: программа не запустилась: %s", m_index,
                  qPrintable(m_messages.errors.join(QStringLiteral("; "))));
        return 2;
    }
    forms().login->show();
    m_modal.script<TForm1>([](TForm1 *w) {
        w->reject();
        return int(QDialog::Rejected);
    });
    forms().login->Edit1->setText(m_login);
    forms().login->Edit2->setText(m_password);
    ui::guarded(forms().login, [] { forms().login->Button1Click(); });
    if (j()->currentLogin != m_login || !m_messages.errors.isEmpty()) {
        qCritical("Клиент %d: вход не удался: %s", m_index,
                  qPrintable(m_messages.errors.join(QStringLiteral("; "))));
        return 2;
    }

    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < qint64(m_seconds) * 1000) {
        if (m_rebuilder) {
            rebuild();
            if (chance(30))
                accept();
            QThread::msleep(uint(random(100, 400)));
        } else {
            // Every kind of work once at the start, then at random.
            const int dice = m_round < 4 ? std::array {1, 50, 70, 90}[m_round] : random(1, 100);
            m_first = m_round < 4;
            ++m_round;
            if (dice <= 35)
                add();
            else if (dice <= 65)
                change();
            else if (dice <= 85)
                accept();
            else
                remove();
        }
        m_modal.clear();
        if (!m_modal.unscripted.isEmpty()) {
            fail(QStringLiteral("окно без сценария: ")
                 + m_modal.unscripted.join(QStringLiteral(", ")));
            m_modal.unscripted.clear();
        }
    }
    writeLog(clock.elapsed() / 1000.0);
    stopProgram();
    ui::setMessageSeam(nullptr);
    ui::setModalSeam(nullptr);
    ui::setEndSeam(nullptr);
    return 0;
}

void Client::writeLog(double seconds)
{
    QJsonObject ops, errors;
    for (auto it = m_ops.begin(); it != m_ops.end(); ++it)
        ops.insert(it.key(), it.value());
    for (const QString &e : std::as_const(m_messages.errors))
        errors.insert(e, errors.value(e).toInteger() + 1);
    QJsonArray records, accepted;
    for (const Record &r : std::as_const(m_records))
        records.append(r.toJson());
    for (int id : std::as_const(m_accepted))
        accepted.append(id);
    const QJsonObject log {{QStringLiteral("client"), m_index},
                           {QStringLiteral("line"), m_line},
                           {QStringLiteral("seconds"), seconds},
                           {QStringLiteral("operations"), ops},
                           {QStringLiteral("errors"), errors},
                           {QStringLiteral("failures"), QJsonArray::fromStringList(m_failures)},
                           {QStringLiteral("records"), records},
                           {QStringLiteral("divisions"), m_divisions},
                           {QStringLiteral("accepted"), accepted},
                           {QStringLiteral("acceptedStates"), m_acceptedStates}};
    QFile f(m_logPath);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(QJsonDocument(log).toJson(QJsonDocument::Compact));
}

// --- the coordinator -------------------------------------------------------------------------

struct Setup
{
    int doc = 0;
    QList<int> lines; // the requisition lines, each shared by two clients: its records carry it
    QList<int> workers;
};

qint64 scalar(db::Connection &c, const QString &sql)
{
    db::Command cmd(&c);
    cmd.setText(sql);
    return cmd.executeScalar().toLongLong();
}

void exec(db::Connection &c, const QString &sql)
{
    db::Command cmd(&c);
    cmd.setText(sql);
    cmd.execute();
}

Setup prepare(db::Connection &admin, const Options &o)
{
    // One login per client, with the rights of the full mode's logins: entry and acceptance.
    for (int i = 1; i <= o.clients; ++i) {
        const QString login = kLoginPrefix + QString::number(i);
        db::Command has(&admin);
        has.setText(QStringLiteral("select count(*) from pg_roles where rolname = :name"));
        has.params().setText(QStringLiteral("name"), login);
        if (has.executeScalar().toLongLong() == 0)
            exec(admin, QStringLiteral("create role %1 login password '%1'").arg(login));
        exec(admin,
             QStringLiteral("grant tabel_users, tabel_entry, tabel_acceptance to %1").arg(login));
    }

    // Goods with two small batches that every client draws on, an operation of the shelf that
    // consumes it, and an open requisition with a line per client.
    Setup s;
    if (scalar(admin,
               QStringLiteral("select count(*) from cmn_gds_and_srv.gds_and_srv where id "
                              "= %1")
                   .arg(kScarceGoods))
        == 0) {
        exec(admin,
             QStringLiteral("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, "
                            "b_is_color, s_unit) values (%1, 'Лист оцинкованный 0,8 мм', "
                            "false, 'кг')")
                 .arg(kScarceGoods));
        const int batch = std::max(30, o.clients * o.seconds);
        exec(admin,
             QStringLiteral("insert into cmn_gds_and_srv.consignment (id_gds, s_caption, d_date, "
                            "id_stock, f_qty_in) values (%1, 'П-2701-01', date '2027-01-10', 7, "
                            "%2), (%1, 'П-2701-02', date '2027-01-20', 7, %3)")
                 .arg(kScarceGoods)
                 .arg(batch * 2)
                 .arg(batch));
        exec(admin,
             QStringLiteral("insert into mnf_operation.operation (id_type, id_state, "
                            "price, id_inventory_items, id_proc_tech, orderby, "
                            "id_gds_from, f_qty_from) values (2, 1, 3.6, %1, 5, 3, %2, "
                            "1.5)")
                 .arg(kItem)
                 .arg(kScarceGoods));
    }
    s.doc = int(scalar(admin,
                       QStringLiteral("insert into mnf_doc.doc (s_number, d_date, "
                                      "b_closed, s_description) values ('ЗВП-900', "
                                      "date '2027-01-25', false, 'Одновременная работа') "
                                      "returning id")));
    // Two clerks on each line, which needs about what they make in the run: towards the end
    // they save on the last pieces it needs at the same time.
    for (int i = 1; i <= (o.clients + 1) / 2; ++i)
        s.lines << int(scalar(admin,
                              QStringLiteral("insert into mnf_doc.requisition_item "
                                             "(id_doc, id_gds, id_gds_color, f_qty, "
                                             "s_gds_mc) values (%1, %2, 0, %3, "
                                             "'Клиенты %4 и %5') returning id")
                                  .arg(s.doc)
                                  .arg(kItem)
                                  .arg(10 * o.seconds)
                                  .arg(i)
                                  .arg(i + (o.clients + 1) / 2)));
    // The shift-1 workers of the plant: every client enters records of all of them.
    s.workers = {1, 2, 3, 4, 5, 6, 7, 8};
    return s;
}

QStringList hoursRows(db::Connection &c, int month, int year)
{
    QStringList days;
    for (int d = 1; d <= 31; ++d)
        days << QStringLiteral("coalesce(d%1, 0)").arg(d);
    db::Dataset ds(&c);
    ds.setSql(QStringLiteral("select w_id || '|' || smena || '|' || concat_ws(',', %1) as r from "
                             "accounts_dep.h_tabel where month = :m and year = :y order by 1")
                  .arg(days.join(QStringLiteral(", "))));
    ds.params().setInteger(QStringLiteral("m"), month);
    ds.params().setInteger(QStringLiteral("y"), year);
    ds.open();
    QStringList rows;
    for (ds.first(); !ds.eof(); ds.next())
        rows << ds.asString(QStringLiteral("r"));
    return rows;
}

// The column r of a query about the run's requisition (:doc).
QStringList rowsOfRun(db::Connection &c, const QString &sql, int doc)
{
    db::Dataset ds(&c);
    ds.setSql(sql);
    ds.params().setInteger(QStringLiteral("doc"), doc);
    ds.open();
    QStringList rows;
    for (ds.first(); !ds.eof(); ds.next())
        rows << ds.asString(QStringLiteral("r"));
    return rows;
}

// What the database holds in the records of one requisition line: id -> key, ok, materials.
struct Held
{
    QString key;
    QString ok;
    QMap<int, double> materials;
};

QMap<int, Held> heldRecords(db::Connection &c, int line)
{
    QMap<int, Held> held;
    db::Dataset ds(&c);
    ds.setSql(QStringLiteral("select id, w_id, data, smena, o_id, kol_vo, brak, time, ok from "
                             "accounts_dep.smena where id_doc_item = :line"));
    ds.params().setInteger(QStringLiteral("line"), line);
    ds.open();
    for (ds.first(); !ds.eof(); ds.next()) {
        Record r;
        r.worker = int(ds.asInteger(QStringLiteral("w_id")));
        r.date = ds.asDate(QStringLiteral("data"));
        r.shift = int(ds.asInteger(QStringLiteral("smena")));
        r.operation = int(ds.asInteger(QStringLiteral("o_id")));
        r.quantity = ds.asFloat(QStringLiteral("kol_vo"));
        r.rejects = int(ds.asInteger(QStringLiteral("brak")));
        r.hours = int(ds.asInteger(QStringLiteral("time")));
        held.insert(int(ds.asInteger(QStringLiteral("id"))),
                    {r.key(), ds.asString(QStringLiteral("ok")), {}});
    }
    db::Dataset m(&c);
    m.setSql(QStringLiteral("select u.id, u.id_smena, u.f_qty_use from accounts_dep.smena_gds_use "
                            "u join accounts_dep.smena s on s.id = u.id_smena where "
                            "s.id_doc_item = :line"));
    m.params().setInteger(QStringLiteral("line"), line);
    m.open();
    for (m.first(); !m.eof(); m.next())
        held[int(m.asInteger(QStringLiteral("id_smena")))].materials.insert(
            int(m.asInteger(QStringLiteral("id"))), m.asFloat(QStringLiteral("f_qty_use")));
    return held;
}

// Texts of boxes that are the program's answer to what another client did meanwhile (a
// record deleted or accepted under the user's eyes, a batch used up), not faults.
bool expectedMessage(const QString &text)
{
    return text == QStringLiteral("Не заведен расход ТМЦ!")
        || text == QStringLiteral("Расход ТМЦ не может быть 0!")
        || text == QStringLiteral("Количество изделий не может быть больше требуемого!")
        || text.contains(QStringLiteral("не найдена")) || text.contains(QStringLiteral("принята"));
}

QString firstFew(const QStringList &list, int n = 5)
{
    QStringList shown = list.mid(0, n);
    if (list.size() > n)
        shown << QStringLiteral("… всего %1").arg(list.size());
    return shown.join(QStringLiteral("; "));
}

void check(Result &res, const QString &name, const QStringList &faults, const QString &summary)
{
    res.checks.append({name, faults.isEmpty(), faults.isEmpty() ? summary : firstFew(faults)});
}

} // namespace

bool Result::ok() const
{
    for (const Check &c : checks) {
        if (!c.ok)
            return false;
    }
    return !checks.isEmpty();
}

QString Result::report() const
{
    QString out;
    qint64 total = 0;
    out += QStringLiteral("операция                 всего    в секунду\n");
    for (auto it = operations.begin(); it != operations.end(); ++it) {
        total += it.value();
        out += QStringLiteral("%1 %2 %3\n")
                   .arg(it.key(), -22)
                   .arg(it.value(), 8)
                   .arg(seconds > 0 ? it.value() / seconds : 0, 10, 'f', 2);
    }
    out += QStringLiteral("%1 %2 %3\n")
               .arg(QStringLiteral("всего"), -22)
               .arg(total, 8)
               .arg(seconds > 0 ? total / seconds : 0, 10, 'f', 2);
    out += QStringLiteral("время работы: %1 с\n\nсообщения об ошибках, показанные клиентам:\n")
               .arg(seconds, 0, 'f', 1);
    for (auto it = messages.begin(); it != messages.end(); ++it)
        out += QStringLiteral("  %1 × «%2»\n").arg(it.value()).arg(it.key());
    out += QStringLiteral("\nпроверки:\n");
    for (const Check &c : checks)
        out += QStringLiteral("  [%1] %2: %3\n")
                   .arg(c.ok ? QStringLiteral("да") : QStringLiteral("НЕТ"), c.name, c.detail);
    return out;
}

bool isClientRole(const QStringList &arguments)
{
    return arguments.contains(kRoleArg);
}

int runClient(const QStringList &arguments)
{
    Client client(arguments);
    return client.run();
}

Result run(const Options &o)
{
    Result res;
    db::Connection admin;
    admin.open(connectionString(o.host, o.port, o.database, o.admin, o.adminPassword));
    const Setup setup = prepare(admin, o);

    QTemporaryDir dir;
    QList<QProcess *> processes;
    QElapsedTimer clock;
    clock.start();
    for (int i = 1; i <= o.clients; ++i) {
        const QString home = dir.filePath(QStringLiteral("client%1").arg(i));
        QDir().mkpath(home + QStringLiteral("/tabel"));
        QDir().mkpath(home + QStringLiteral("/state"));
        {
            // The stored connection before the login: the plant's account, as the demo has it.
            QSettings conf(home + QStringLiteral("/tabel/tabel.conf"), QSettings::IniFormat);
            conf.setValue(QStringLiteral("server"), o.host);
            conf.setValue(QStringLiteral("port"), o.port);
            conf.setValue(QStringLiteral("database"), o.database);
            conf.setValue(QStringLiteral("login"), QStringLiteral("wvk"));
            conf.setValue(QStringLiteral("password"), QStringLiteral("wuvbzad"));
        }
        QStringList workers;
        for (int w : setup.workers)
            workers << QString::number(w);
        const QString login = kLoginPrefix + QString::number(i);
        QStringList args = o.programArguments;
        args << kRoleArg << QString::number(i) << QStringLiteral("--host") << o.host
             << QStringLiteral("--port") << QString::number(o.port) << QStringLiteral("--database")
             << o.database << QStringLiteral("--login") << login << QStringLiteral("--password")
             << login << QStringLiteral("--seconds") << QString::number(o.seconds)
             << QStringLiteral("--seed") << QString::number(o.seed) << QStringLiteral("--log")
             << dir.filePath(QStringLiteral("client%1.json").arg(i)) << QStringLiteral("--year")
             << QString::number(o.year) << QStringLiteral("--month") << QString::number(o.month)
             << QStringLiteral("--days") << QString::number(o.days) << QStringLiteral("--doc")
             << QString::number(setup.doc) << QStringLiteral("--line")
             << QString::number(setup.lines.at((i - 1) % setup.lines.size()))
             << QStringLiteral("--workers") << workers.join(QLatin1Char(','))
             << QStringLiteral("--think") << QString::number(o.thinkMs);
        if (i == 1)
            args << QStringLiteral("--rebuilder");
        auto *p = new QProcess;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home);
        env.insert(QStringLiteral("XDG_STATE_HOME"), home + QStringLiteral("/state"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(QProcess::MergedChannels);
        p->setStandardOutputFile(dir.filePath(QStringLiteral("client%1.out").arg(i)));
        p->start(o.program, args);
        processes << p;
    }

    QStringList clientFaults;
    for (int i = 0; i < processes.size(); ++i) {
        QProcess *p = processes[i];
        const bool done = p->waitForFinished((o.seconds + 180) * 1000);
        if (!done) {
            p->kill();
            p->waitForFinished(5000);
        }
        if (!done || p->exitStatus() != QProcess::NormalExit || p->exitCode() != 0) {
            QFile out(dir.filePath(QStringLiteral("client%1.out").arg(i + 1)));
            out.open(QIODevice::ReadOnly);
            clientFaults << QStringLiteral("клиент %1 завершился с кодом %2: %3")
                                .arg(i + 1)
                                .arg(p->exitCode())
                                .arg(QString::fromUtf8(out.readAll().right(600)));
        }
        delete p;
    }
    res.seconds = clock.elapsed() / 1000.0;

    // The clients' logs.
    QList<QJsonObject> logs;
    for (int i = 1; i <= o.clients; ++i) {
        QFile f(dir.filePath(QStringLiteral("client%1.json").arg(i)));
        if (!f.open(QIODevice::ReadOnly)) {
            clientFaults << QStringLiteral("клиент %1 не оставил журнала действий").arg(i);
            continue;
        }
        logs << QJsonDocument::fromJson(f.readAll()).object();
    }
    check(res, QStringLiteral("все клиенты отработали до конца"), clientFaults,
          QStringLiteral("%1 процессов, у каждого свой вход").arg(o.clients));

    QStringList editorFaults, otherFaults, unexpected;
    QSet<int> accepted;
    for (const QJsonObject &log : std::as_const(logs)) {
        const QJsonObject ops = log[QStringLiteral("operations")].toObject();
        for (auto it = ops.begin(); it != ops.end(); ++it)
            res.operations[it.key()] += it.value().toInteger();
        const QJsonObject errors = log[QStringLiteral("errors")].toObject();
        for (auto it = errors.begin(); it != errors.end(); ++it) {
            res.messages[it.key()] += it.value().toInteger();
            if (!expectedMessage(it.key()))
                unexpected << QStringLiteral("клиент %1: «%2»")
                                  .arg(log[QStringLiteral("client")].toInt())
                                  .arg(it.key());
        }
        for (const QJsonValue &f : log[QStringLiteral("failures")].toArray()) {
            const QString text = QStringLiteral("клиент %1: %2")
                                     .arg(log[QStringLiteral("client")].toInt())
                                     .arg(f.toString());
            (f.toString().startsWith(QStringLiteral("редактор")) ? editorFaults : otherFaults)
                << text;
        }
        for (const QJsonValue &a : log[QStringLiteral("accepted")].toArray())
            accepted.insert(a.toInt());
    }

    // Hours: exactly what the program's own month rebuild makes of the records, done in a
    // transaction that is rolled back.
    QStringList hoursFaults;
    const QStringList posted = hoursRows(admin, o.month, o.year);
    QStringList rebuilt;
    {
        db::Transaction transaction(admin);
        timesheet::HoursPosting(admin).rebuildMonth(o.month, o.year);
        rebuilt = hoursRows(admin, o.month, o.year);
    }
    if (posted != rebuilt) {
        QSet<QString> a(posted.begin(), posted.end()), b(rebuilt.begin(), rebuilt.end());
        for (const QString &r : a - b)
            hoursFaults << QStringLiteral("в табеле «%1», пересчёт даёт другое").arg(r);
        for (const QString &r : b - a)
            hoursFaults << QStringLiteral("пересчёт даёт «%1», в табеле нет").arg(r);
        if (hoursFaults.isEmpty())
            hoursFaults << QStringLiteral("строки те же, но их число разное: %1 против %2")
                               .arg(posted.size())
                               .arg(rebuilt.size());
    }
    check(res, QStringLiteral("табель равен пересчёту месяца"), hoursFaults,
          QStringLiteral("%1 строк за %2.%3").arg(posted.size()).arg(o.month).arg(o.year));

    QStringList twice;
    {
        db::Dataset ds(&admin);
        ds.setSql(QStringLiteral("select w_id || '|' || smena || '|' || month || '|' || year || "
                                 "' × ' || count(*) as r from accounts_dep.h_tabel group by w_id, "
                                 "smena, month, year having count(*) > 1"));
        ds.open();
        for (ds.first(); !ds.eof(); ds.next())
            twice << ds.asString(QStringLiteral("r"));
    }
    check(res, QStringLiteral("по одной строке табеля на работника, смену и месяц"), twice,
          QStringLiteral("повторов нет"));

    // Records: each line holds exactly what its clients meant, plus what their divisions made;
    // an accepted record is one somebody accepted.
    QStringList recordFaults, acceptFaults;
    int live = 0, materials = 0;
    QSet<int> acceptedLeft = accepted;
    QMap<int, QList<QJsonObject>> byLine;
    for (const QJsonObject &log : std::as_const(logs))
        byLine[log[QStringLiteral("line")].toInt()] << log;
    for (auto line = byLine.cbegin(); line != byLine.cend(); ++line) {
        QMap<int, Held> held = heldRecords(admin, line.key());
        for (auto it = held.begin(); it != held.end(); ++it) {
            acceptedLeft.remove(it.key());
            if (it->ok == QLatin1String("ok") && !accepted.contains(it.key()))
                acceptFaults
                    << QStringLiteral("запись %1 принята, хотя никто её не принимал").arg(it.key());
            else if (it->ok != QLatin1String("ok") && accepted.contains(it.key()))
                acceptFaults << QStringLiteral("запись %1 принята клиентом, а в базе «%2»")
                                    .arg(it.key())
                                    .arg(it->ok);
        }
        QStringList made;
        for (const QJsonObject &log : line.value()) {
            const int client = log[QStringLiteral("client")].toInt();
            for (const QJsonValue &d : log[QStringLiteral("divisions")].toArray())
                made << d.toString();
            for (const QJsonValue &v : log[QStringLiteral("records")].toArray()) {
                const QJsonObject r = v.toObject();
                const int id = r[QStringLiteral("id")].toInt();
                const bool deleted = r[QStringLiteral("deleted")].toBool();
                if (deleted) {
                    if (held.contains(id))
                        recordFaults << QStringLiteral("клиент %1 удалил запись %2, а она есть")
                                            .arg(client)
                                            .arg(id);
                    continue;
                }
                ++live;
                if (!held.contains(id)) {
                    recordFaults
                        << QStringLiteral("клиент %1: запись %2 пропала").arg(client).arg(id);
                    continue;
                }
                const Held h = held.take(id);
                if (h.key != r[QStringLiteral("key")].toString())
                    recordFaults << QStringLiteral("клиент %1: запись %2 «%3», а вводилось «%4»")
                                        .arg(client)
                                        .arg(id)
                                        .arg(h.key, r[QStringLiteral("key")].toString());
                QMap<int, double> meant;
                const QJsonObject m = r[QStringLiteral("materials")].toObject();
                for (auto it = m.begin(); it != m.end(); ++it)
                    meant.insert(it.key().toInt(), it.value().toDouble());
                materials += int(meant.size());
                bool same = meant.keys() == h.materials.keys();
                for (auto it = meant.begin(); same && it != meant.end(); ++it)
                    same = micro(it.value()) == micro(h.materials.value(it.key()));
                if (!same)
                    recordFaults << QStringLiteral(
                                        "клиент %1: расход ТМЦ записи %2 не тот: %3 строк "
                                        "в базе, %4 введено")
                                        .arg(client)
                                        .arg(id)
                                        .arg(h.materials.size())
                                        .arg(meant.size());
            }
        }
        // What is left on the line is what the divisions made.
        for (auto it = held.begin(); it != held.end(); ++it) {
            if (!made.removeOne(it->key))
                recordFaults << QStringLiteral("строка %1: лишняя запись %2 «%3»")
                                    .arg(line.key())
                                    .arg(it.key())
                                    .arg(it->key);
        }
        for (const QString &k : std::as_const(made))
            recordFaults
                << QStringLiteral("строка %1: нет записи деления «%2»").arg(line.key()).arg(k);
    }
    // The records of the days are all the clients' own: an accepted one that is gone was
    // deleted after its acceptance.
    for (int id : std::as_const(acceptedLeft))
        acceptFaults << QStringLiteral("запись %1 принята, а её больше нет").arg(id);
    check(res, QStringLiteral("записи и расход ТМЦ такие, как их ввели"), recordFaults,
          QStringLiteral("%1 записей, %2 строк расхода").arg(live).arg(materials));
    check(res, QStringLiteral("принято ровно то, что приняли"), acceptFaults,
          QStringLiteral("%1 записей принято").arg(accepted.size()));

    const QStringList overdone = rowsOfRun(
        admin,
        QStringLiteral("select ri.id || ': требуется ' || ri.f_qty || ', сделано ' || m.f_qty_made "
                       "as r from mnf_doc.requisition_item ri join mnf_doc.v_requisition_item_made "
                       "m on m.id_doc_item = ri.id where ri.id_doc = :doc and m.f_qty_made > "
                       "ri.f_qty"),
        setup.doc);
    check(res, QStringLiteral("ни одна строка заявки не сделана сверх потребности"), overdone,
          QStringLiteral("%1 строк на %2 клиентов").arg(setup.lines.size()).arg(o.clients));

    // An accepted record keeps what it was accepted with: its material rows (acceptance asks
    // for them) and, for those the clients accepted, the quantity and rows they saw right after.
    QStringList changedAfter = rowsOfRun(
        admin,
        QStringLiteral("select 'запись ' || s.id || ' принята без расхода ТМЦ' as r from "
                       "accounts_dep.smena s join mnf_doc.requisition_item ri on ri.id = "
                       "s.id_doc_item where ri.id_doc = :doc and s.ok = 'ok' and not exists "
                       "(select 1 from accounts_dep.smena_gds_use u where u.id_smena = s.id)"),
        setup.doc);
    int states = 0;
    for (const QJsonObject &log : std::as_const(logs)) {
        const QJsonObject seen = log[QStringLiteral("acceptedStates")].toObject();
        for (auto it = seen.begin(); it != seen.end(); ++it) {
            ++states;
            db::Dataset ds(&admin);
            ds.setSql(QString::fromLatin1(acceptedStateSql));
            ds.params().setInteger(QStringLiteral("id"), it.key().toInt());
            ds.open();
            const QString now = ds.isEmpty() ? QStringLiteral("нет записи")
                                             : ds.asString(QStringLiteral("state"));
            if (now != it.value().toString())
                changedAfter << QStringLiteral("запись %1 принята как «%2», теперь «%3»")
                                    .arg(it.key(), it.value().toString(), now);
        }
    }
    check(res, QStringLiteral("принятые записи такие, какими их приняли"), changedAfter,
          QStringLiteral("%1 принятых клиентами записей сверено").arg(states));

    QStringList overdrawn;
    {
        db::Dataset ds(&admin);
        ds.setSql(QStringLiteral(
            "select g.id || ': получено ' || coalesce(c.q, 0) || ', израсходовано ' || u.q as r "
            "from cmn_gds_and_srv.gds_and_srv g join (select id_gds_use, sum(f_qty_use) as q from "
            "accounts_dep.smena_gds_use group by id_gds_use) u on u.id_gds_use = g.id left join "
            "(select id_gds, sum(f_qty_in) as q from cmn_gds_and_srv.consignment group by id_gds) "
            "c on c.id_gds = g.id where u.q > coalesce(c.q, 0) + 0.0005"));
        ds.open();
        for (ds.first(); !ds.eof(); ds.next())
            overdrawn << ds.asString(QStringLiteral("r"));
    }
    const qint64 scarce = scalar(admin,
                                 QStringLiteral("select round(coalesce(sum(f_qty_use), 0)) "
                                                "from accounts_dep.smena_gds_use where "
                                                "id_gds_use = %1")
                                     .arg(kScarceGoods));
    check(res, QStringLiteral("ни одна партия не перерасходована"), overdrawn,
          QStringLiteral("общих партий ТМЦ %1 израсходовано %2").arg(kScarceGoods).arg(scarce));
    check(res, QStringLiteral("редактор после «Запись» на своей новой записи"), editorFaults,
          QStringLiteral("%1 новых записей").arg(res.operations.value(kAdd)));
    check(res, QStringLiteral("нет непредвиденных ошибок"), unexpected + otherFaults,
          QStringLiteral("только ответы на действия других клиентов"));
    return res;
}

} // namespace clients
