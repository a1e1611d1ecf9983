#include "login_window.h"

#include "app/access_mode.h"
#include "app/version_check.h"
#include "core/data_module.h"
#include "core/forms.h"
#include "db/db_error.h"
#include "journal/journal_window.h"
#include "ui/buttons.h"
#include "ui/error_log.h"
#include "ui/seams.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

void explainConnectFailure(QWidget *window, const std::exception &e, const QString &server,
                           const QString &database)
{
    // The box names the server only; the log keeps the server's reason for support.
    const auto *dbError = dynamic_cast<const db::DbError *>(&e);
    ui::appendErrorLog(window, dbError ? dbError->text() : QString::fromUtf8(e.what()));
    ui::showError(
        window,
        QStringLiteral("Подключение к БД отсутсвует (сервер: %1, БД: %2)").arg(server, database));
}

TForm23::TForm23(const CommandLine &commandLine, const AppConfig &config, QWidget *parent)
    : ui::Window(QStringLiteral("Авторизация"), parent)
    , m_commandLine(commandLine)
    , m_config(config)
{
    setObjectName(QStringLiteral("TForm23"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);
    Label3 = new QLabel;
    Label3->setObjectName(QStringLiteral("Label3"));
    Edit1 = new QLineEdit;
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit2 = new QLineEdit(QString::fromLatin1(kAccessCode));
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setEchoMode(QLineEdit::Password);
    Edit2->setStyleSheet(QStringLiteral("lineedit-password-character: 42")); // masked with "*"
    Button1 = ui::namedDefaultButton(QStringLiteral("Вход"), "Button1");
    Button2 = ui::namedButton(QStringLiteral("Отмена"), "Button2");

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Логин"), Edit1);
    form->addRow(QStringLiteral("Пароль"), Edit2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label3);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    Edit1->setMinimumWidth(260);

    ui::connectGuarded(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    ui::connectGuarded(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    Timer1.setInterval(5500);
    Timer1.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
}

void TForm23::showEvent(QShowEvent *e)
{
    ui::Window::showEvent(e);
    activate();
}

void TForm23::showBeforeActivation()
{
    m_activationHeld = true;
    show();
    m_activationHeld = false;
}

void TForm23::activate()
{
    if (m_activated || m_activationHeld)
        return;
    m_activated = true;
    ui::guarded(this, [this] { FormActivate(); });
}

void TForm23::FormActivate()
{
    if (!runVersionCheck())
        return;
    Label3->setText(
        QStringLiteral("Сервер: %1, БД: %2").arg(m_commandLine.arg1, m_commandLine.arg2));
    const ui::BuildStamp stamp = ui::buildStamp();
    setWindowTitle(QStringLiteral("Авторизация (build: %1.%2)").arg(stamp.date).arg(stamp.time));
}

void TForm23::Button1Click()
{
    logIn();
}

void TForm23::logIn()
{
    TForm1 *journal = forms().journal;
    TDataModule6 &dm = dataModule();
    journal->currentShift = 1;
    journal->currentLogin = Edit1->text().trimmed();
    journal->currentPassword = Edit2->text().trimmed();
    if (m_config.accessCode && journal->currentPassword == QLatin1String(kAccessCode)) {
        journal->currentLogin = m_config.login;
        journal->currentPassword = m_config.password;
    }

    db::ConnectionParams p;
    p.database = m_commandLine.database(m_config);
    p.server = m_commandLine.server(m_config);
    p.port = m_commandLine.port(m_config);
    p.login = journal->currentLogin;
    p.password = journal->currentPassword;
    dm.ADO_DB.close();
    try {
        dm.ADO_DB.open(db::buildConnectionString(p));
    } catch (const std::exception &e) {
        explainConnectFailure(this, e, m_commandLine.arg1, m_commandLine.arg2);
        ui::endProgram();
        return;
    }

    const AccessMode mode = accessModeFor(journal->currentLogin);
    applyAccessMode(*journal, mode);
    for (int s = 1; s <= 4; ++s)
        dm.journal(s).params().setText(QStringLiteral("ok"), QStringLiteral("ta"));
    hide();
    if (mode != AccessMode::ViewOnly)
        journal->setWindowTitle(
            QStringLiteral("Табель (Сервер: %1, БД: %2, пользователь: %3)")
                .arg(m_commandLine.arg1, m_commandLine.arg2, journal->currentLogin));
    ui::showModal(journal);
    // Closing the journal ends the program; there is no second login.
    ui::endProgram();
}

void TForm23::Button2Click()
{
    ui::endProgram();
}

void TForm23::reject()
{
    // Esc and the close box end the program as "Отмена" does.
    Button2Click();
}

void TForm23::Timer1Timer()
{
    Timer1.stop();
    ui::endProgram();
}
