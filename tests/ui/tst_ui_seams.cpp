// The seams: build stamp texts, the clock, the error display of handlers and the scripted fakes
// that every window test relies on.

#include "db/db_error.h"
#include "tests/support/fake_seams.h"
#include "ui/seams.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <stdexcept>

using testing::ScriptedModal;
using testing::SeamsFixture;

namespace {

// A small window with the controls a script touches, in the house's naming.
class TFormProbe : public QDialog
{
    Q_OBJECT
public:
    TFormProbe()
    {
        Edit1 = new QLineEdit(this);
        Edit1->setObjectName("Edit1");
        Button1 = new QPushButton(QStringLiteral("Сохранить"), this);
        Button1->setObjectName("Button1");
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(Edit1);
        layout->addWidget(Button1);
        connect(Button1, &QPushButton::clicked, this, [this] {
            if (!Edit1->text().isEmpty())
                accept();
        });
    }
    QLineEdit *Edit1;
    QPushButton *Button1;
};

class TFormNested : public QDialog
{
    Q_OBJECT
};

// A plain object whose handler throws: connectGuarded must take receivers without a window.
class Worker : public QObject
{
    Q_OBJECT
public:
    void run() { throw db::DbError(QStringLiteral("отношение \"ver\" не существует")); }
signals:
    void started();
};

} // namespace

class TestUiSeams : public QObject
{
    Q_OBJECT
private slots:
    void parseBuildStamp_data();
    void parseBuildStamp();
    void buildStampOverride();
    void fixedClock();
    void guardedShowsErrors_data();
    void guardedShowsErrors();
    void guardedPassesResultThrough();
    void connectGuardedWidgetAndObject();
    void messagesAnsweredFromQueue();
    void unscriptedQuestionFails();
    void wrongScriptedAnswerFails();
    void modalScriptsNested();
    void modalReadyMadeActions();
    void unscriptedWindowFails();
    void modalRepeatedScript();
    void endRecorded();
    void fixtureRestoresRealSeams();
};

void TestUiSeams::parseBuildStamp_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::addColumn<int>("stampDate");
    QTest::addColumn<int>("stampTime");

    QTest::newRow("two-digit day") << "Sep 27 2022"
                                   << "13:37:04" << 20220927 << 49024;
    QTest::newRow("blank-padded day") << "Sep  7 2022"
                                      << "13:37:04" << 20220907 << 49024;
    QTest::newRow("no date from the compiler") << "??? ?? ????"
                                               << "13:37:04" << 19000101 << 49024;
    QTest::newRow("midnight of new year") << "Jan  1 2024"
                                          << "00:00:00" << 20240101 << 0;
    QTest::newRow("last second of a year") << "Dec 31 1999"
                                           << "23:59:59" << 19991231 << 86399;
    QTest::newRow("every month: Feb") << "Feb 28 2023"
                                      << "01:00:00" << 20230228 << 3600;
    QTest::newRow("every month: Mar") << "Mar 10 2023"
                                      << "00:01:00" << 20230310 << 60;
    QTest::newRow("every month: Apr") << "Apr 30 2023"
                                      << "00:00:01" << 20230430 << 1;
    QTest::newRow("every month: May") << "May  5 2023"
                                      << "12:00:00" << 20230505 << 43200;
    QTest::newRow("every month: Jun") << "Jun 15 2023"
                                      << "10:10:10" << 20230615 << 36610;
    QTest::newRow("every month: Jul") << "Jul 20 2023"
                                      << "08:30:00" << 20230720 << 30600;
    QTest::newRow("every month: Aug") << "Aug  9 2023"
                                      << "09:05:07" << 20230809 << 32707;
    QTest::newRow("every month: Oct") << "Oct 10 2023"
                                      << "22:00:00" << 20231010 << 79200;
    QTest::newRow("every month: Nov") << "Nov 11 2023"
                                      << "11:11:11" << 20231111 << 40271;
}

void TestUiSeams::parseBuildStamp()
{
    QFETCH(QString, date);
    QFETCH(QString, time);
    const ui::BuildStamp stamp = ui::parseBuildStamp(date, time);
    QTEST(stamp.date, "stampDate");
    QTEST(stamp.time, "stampTime");
}

void TestUiSeams::buildStampOverride()
{
    const ui::BuildStamp compiled = ui::buildStamp();
    // The compiler's own texts: a real date of this century and a time of day.
    QVERIFY2(compiled.date > 20200101 && compiled.date < 21000101,
             qPrintable(QString::number(compiled.date)));
    QVERIFY(compiled.time >= 0 && compiled.time < 86400);
    {
        SeamsFixture seams;
        seams.setBuildStamp(20220927, 49024);
        QCOMPARE(ui::buildStamp().date, 20220927);
        QCOMPARE(ui::buildStamp().time, 49024);
    }
    QCOMPARE(ui::buildStamp().date, compiled.date);
    QCOMPARE(ui::buildStamp().time, compiled.time);
}

void TestUiSeams::fixedClock()
{
    const QDateTime fixed(QDate(2023, 3, 4), QTime(23, 59, 30));
    {
        testing::FixedClock clock(fixed);
        QCOMPARE(ui::now(), fixed);
        QCOMPARE(ui::today(), QDate(2023, 3, 4));
        clock.set(fixed.addDays(1));
        QCOMPARE(ui::today(), QDate(2023, 3, 5));
    }
    // Back on the system clock.
    QVERIFY(qAbs(ui::now().secsTo(QDateTime::currentDateTime())) < 5);
}

void TestUiSeams::guardedShowsErrors_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::newRow("server error") << 0 << "ОШИБКА: нарушение ограничения уникальности";
    QTest::newRow("conversion") << 1 << "«12,5а» не является числом";
    QTest::newRow("other") << 2 << "bad_alloc в отчёте";
}

void TestUiSeams::guardedShowsErrors()
{
    QFETCH(int, kind);
    QFETCH(QString, text);
    SeamsFixture seams;
    QWidget window;
    bool stoppedAtError = true;
    const bool ok = ui::guarded(&window, [&] {
        if (kind == 0)
            throw db::DbError(text, QStringLiteral("23505"));
        if (kind == 1)
            throw db::ConversionError(text);
        throw std::runtime_error(text.toStdString());
        stoppedAtError = false;
    });
    QVERIFY(!ok);
    QVERIFY(stoppedAtError);
    QCOMPARE(seams.messages.shown().size(), 1);
    const testing::RecordedMessage box = seams.messages.last();
    QCOMPARE(box.caption, QStringLiteral("Ошибка"));
    QCOMPARE(box.text, text);
    QCOMPARE(box.icon, ui::Icon::Error);
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

    // The program goes on: the next handler runs normally.
    int runs = 0;
    QVERIFY(ui::guarded(&window, [&] { ++runs; }));
    QCOMPARE(runs, 1);
    QCOMPARE(seams.messages.shown().size(), 1);
}

void TestUiSeams::guardedPassesResultThrough()
{
    SeamsFixture seams;
    // showCurrentException outside a catch block shows nothing instead of terminating.
    ui::showCurrentException(nullptr);
    QVERIFY(seams.messages.shown().isEmpty());
    try {
        throw db::DbError(QStringLiteral("соединение потеряно"), QStringLiteral("08S01"));
    } catch (...) {
        ui::showCurrentException(nullptr);
    }
    QCOMPARE(seams.messages.errors(), QStringList {QStringLiteral("соединение потеряно")});
}

void TestUiSeams::connectGuardedWidgetAndObject()
{
    SeamsFixture seams;

    // A window's button whose handler takes none of the signal's arguments.
    QWidget window;
    QPushButton button(&window);
    int clicks = 0;
    ui::connectGuarded(&button, &QPushButton::clicked, &window, [&] {
        ++clicks;
        throw db::ConversionError(QStringLiteral("неверная дата"));
    });
    button.click();
    QCOMPARE(clicks, 1);
    QCOMPARE(seams.messages.errors(), QStringList {QStringLiteral("неверная дата")});

    // A plain object with a member function as the handler.
    Worker worker;
    ui::connectGuarded(&worker, &Worker::started, &worker, &Worker::run);
    emit worker.started();
    QCOMPARE(seams.messages.errors().size(), 2);
    QCOMPARE(seams.messages.errors().last(), QStringLiteral("отношение \"ver\" не существует"));

    // Arguments reach a handler that wants them.
    QLineEdit edit;
    QString seen;
    ui::connectGuarded(&edit, &QLineEdit::textChanged, &edit,
                       [&](const QString &text) { seen = text; });
    edit.setText(QStringLiteral("Иванов"));
    QCOMPARE(seen, QStringLiteral("Иванов"));
}

void TestUiSeams::messagesAnsweredFromQueue()
{
    SeamsFixture seams;
    seams.messages.answerNo();
    seams.messages.answerYes();

    // An information box takes nothing from the queue.
    ui::showInformation(nullptr, QStringLiteral("Запрос"), QStringLiteral("Готово"));
    QVERIFY(!ui::askYesNo(nullptr, QStringLiteral("Удаление"), QStringLiteral("Удалить?")));
    QCOMPARE(seams.messages.pendingAnswers(), 1);
    QVERIFY(ui::askYesNo(nullptr, QStringLiteral("Сохраннение"), QStringLiteral("Сохранить?"),
                         ui::Icon::Warning));
    QCOMPARE(seams.messages.pendingAnswers(), 0);

    const auto &shown = seams.messages.shown();
    QCOMPARE(shown.size(), 3);
    QCOMPARE(shown[0].icon, ui::Icon::Information);
    QCOMPARE(shown[1].caption, QStringLiteral("Удаление"));
    QCOMPARE(shown[1].icon, ui::Icon::Question);
    QCOMPARE(shown[1].buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(shown[2].icon, ui::Icon::Warning);
    QCOMPARE(seams.messages.texts(),
             QStringList({QStringLiteral("Готово"), QStringLiteral("Удалить?"),
                          QStringLiteral("Сохранить?")}));
    QVERIFY(seams.messages.errors().isEmpty());
    QVERIFY(!seams.messages.failed());
}

void TestUiSeams::unscriptedQuestionFails()
{
    SeamsFixture seams;
    QEXPECT_FAIL("", "a question with no scripted answer fails the test", Continue);
    const bool yes = ui::askYesNo(nullptr, QStringLiteral("Удаление"), QStringLiteral("Удалить?"));
    QVERIFY(!yes); // answered No, the harmless way out
    QVERIFY(seams.messages.failed());
    QVERIFY(seams.messages.failures().first().contains(QStringLiteral("Удалить?")));
}

void TestUiSeams::wrongScriptedAnswerFails()
{
    SeamsFixture seams;
    seams.messages.answer(QMessageBox::Retry);
    QEXPECT_FAIL("", "an answer that is not a button of the box fails the test", Continue);
    QVERIFY(!ui::askYesNo(nullptr, QStringLiteral("Запрос"), QStringLiteral("Продолжить?")));
    QVERIFY(seams.messages.failed());
}

void TestUiSeams::modalScriptsNested()
{
    SeamsFixture seams;
    TFormProbe probe;
    TFormNested nested;
    int depthInside = 0;
    bool visibleInside = false;
    seams.modal.script<TFormNested>([&](TFormNested *) {
        depthInside = seams.modal.depth();
        return int(QDialog::Accepted);
    });
    seams.modal.script<TFormProbe>([&](TFormProbe *w) {
        visibleInside = w->isVisible();
        // The window opens another one from its handler, as choosers do.
        const int inner = ui::showModal(&nested);
        w->Edit1->setText(inner == QDialog::Accepted ? QStringLiteral("выбрано") : QString());
        w->Button1->click();
        return w->result();
    });

    QCOMPARE(ui::showModal(&probe), int(QDialog::Accepted));
    QCOMPARE(probe.Edit1->text(), QStringLiteral("выбрано"));
    QVERIFY(!probe.isVisible());
    QVERIFY(visibleInside);
    QCOMPARE(depthInside, 2);
    QCOMPARE(seams.modal.depth(), 0);
    QCOMPARE(seams.modal.shown(),
             QStringList({QStringLiteral("TFormProbe"), QStringLiteral("TFormNested")}));
    QCOMPARE(seams.modal.pending("TFormProbe"), 0);
    QVERIFY(!seams.modal.failed());
}

void TestUiSeams::modalReadyMadeActions()
{
    SeamsFixture seams;
    TFormProbe probe;
    // The handler refuses an empty field: the window stays open and the result stays 0.
    seams.modal.script("TFormProbe", ScriptedModal::press("Button1"));
    QCOMPARE(ui::showModal(&probe), int(QDialog::Rejected));

    probe.Edit1->setText(QStringLiteral("12"));
    seams.modal.script("TFormProbe", ScriptedModal::press("Button1"));
    seams.modal.script("TFormProbe", ScriptedModal::closeWindow());
    seams.modal.script("TFormProbe", ScriptedModal::accept());
    seams.modal.script("TFormProbe", ScriptedModal::reject());
    QCOMPARE(ui::showModal(&probe), int(QDialog::Accepted));
    QCOMPARE(ui::showModal(&probe), int(QDialog::Rejected));
    QCOMPARE(ui::showModal(&probe), int(QDialog::Accepted));
    QCOMPARE(ui::showModal(&probe), int(QDialog::Rejected));
    QCOMPARE(seams.modal.shown().size(), 5);
    QVERIFY(!seams.modal.failed());
}

void TestUiSeams::unscriptedWindowFails()
{
    SeamsFixture seams;
    TFormNested nested;
    QEXPECT_FAIL("", "a window with no script fails the test", Continue);
    QCOMPARE(ui::showModal(&nested), int(QDialog::Rejected));
    QVERIFY(seams.modal.failed());
    QVERIFY(seams.modal.failures().first().contains(QStringLiteral("TFormNested")));
    QVERIFY(!nested.isVisible());
}

void TestUiSeams::modalRepeatedScript()
{
    SeamsFixture seams;
    TFormNested nested;
    int runs = 0;
    seams.modal.script(
        "TFormNested",
        [&](QDialog *) {
            ++runs;
            return int(QDialog::Accepted);
        },
        ScriptedModal::kEveryTime);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(ui::showModal(&nested), int(QDialog::Accepted));
    QCOMPARE(runs, 3);
}

void TestUiSeams::endRecorded()
{
    SeamsFixture seams;
    ui::endProgram();
    ui::endProgram();
    QCOMPARE(seams.end.count(), 2);
    QVERIFY(!ui::endRequested()); // the real end was never asked for
}

void TestUiSeams::fixtureRestoresRealSeams()
{
    {
        SeamsFixture seams;
        ui::showError(nullptr, QStringLiteral("внутри"));
        QCOMPARE(seams.messages.shown().size(), 1);
    }
    // The real boxes are back: answer them the way a person does.
    struct Seen
    {
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
    } seen;
    auto answerWith = [&](QMessageBox::StandardButton button) {
        QTimer::singleShot(0, [&seen, button] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            seen = {box->windowTitle(), box->text(), box->icon(), box->standardButtons()};
            box->button(button)->click();
        });
    };
    answerWith(QMessageBox::Ok);
    ui::showError(nullptr, QStringLiteral("снаружи"));
    QCOMPARE(seen.title, QStringLiteral("Ошибка"));
    QCOMPARE(seen.text, QStringLiteral("снаружи"));
    QCOMPARE(seen.icon, QMessageBox::Critical);
    QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

    answerWith(QMessageBox::Yes);
    QVERIFY(ui::askYesNo(nullptr, QStringLiteral("Удаление"), QStringLiteral("Удалить?")));
    QCOMPARE(seen.icon, QMessageBox::Question);
    QCOMPARE(seen.buttons, QMessageBox::Yes | QMessageBox::No);
    answerWith(QMessageBox::No);
    QVERIFY(!ui::askYesNo(nullptr, QStringLiteral("Удаление"), QStringLiteral("Удалить?"),
                          ui::Icon::Warning));
    QCOMPARE(seen.icon, QMessageBox::Warning);
}

QTEST_MAIN(TestUiSeams)
#include "tst_ui_seams.moc"
