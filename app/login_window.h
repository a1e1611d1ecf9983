#pragma once
// TForm23: the login window, the program's main window until the journal takes over.

#include "core/config.h"
#include "ui/window.h"

#include <QTimer>
#include <exception>

class QLabel;
class QLineEdit;
class QPushButton;

// A connection the server refused: its reason (the driver's words, often English) goes to the
// error log, the box says "Подключение к БД отсутсвует (сервер: …, БД: …)" with the texts given.
void explainConnectFailure(QWidget *window, const std::exception &e, const QString &server,
                           const QString &database);

class TForm23 : public ui::Window
{
    Q_OBJECT
public:
    TForm23(const CommandLine &commandLine, const AppConfig &config, QWidget *parent = nullptr);

    // Typed as the password, logs in as the stored account whatever login was typed, unless
    // tabel.conf switches it off (then it is a password like any other).
    static constexpr const char *kAccessCode = "4739";

    QLabel *Label3;
    QLineEdit *Edit1; // login
    QLineEdit *Edit2; // password
    QPushButton *Button1; // "Вход"
    QPushButton *Button2; // "Отмена"
    QTimer Timer1; // armed by a failed version check; ends the program

    // The start-up puts the window on screen before the stored connection is open, and runs
    // its activation when it is (the first showing runs it otherwise).
    void showBeforeActivation();
    void activate();

public Q_SLOTS:
    void FormActivate();
    void Button1Click(); // "Вход"
    void Button2Click(); // "Отмена"
    void Timer1Timer();

protected:
    void showEvent(QShowEvent *e) override;
    void reject() override;

private:
    // Connects as the typed login (or the stored account for the access code), sets the access
    // mode and shows the journal; closing the journal ends the program.
    void logIn();

    CommandLine m_commandLine;
    AppConfig m_config;
    bool m_activated = false; // once per run
    bool m_activationHeld = false;
};
