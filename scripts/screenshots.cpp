// Makes the README's pictures: the login window and the journal after a login, as a user sees
// them. Run by scripts/screenshots.sh under Xvfb against the demo database.

#include "app/forms.h"
#include "app/login_window.h"
#include "app/startup.h"
#include "journal/journal_window.h"
#include "ui/seams.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTextStream>

namespace {

void settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

// Grabs each window shown modally into OUTDIR/<name>.png; from the journal it opens the
// personnel list through the menu and a record for changing, and from the entry editor the
// material window, as a user would.
class GrabModal : public ui::ModalSeam
{
public:
    explicit GrabModal(QString dir)
        : m_dir(std::move(dir))
    {
    }
    int exec(QDialog *dialog) override
    {
        dialog->show();
        settle(800);
        const QString name = dialog->objectName();
        if (name == QLatin1String("TForm24")) {
            auto *goods = dialog->findChild<QComboBox *>(QStringLiteral("LCB_id_gds_use"));
            goods->setCurrentIndex(0);
            emit goods->activated(0);
            settle(300);
        }
        static const QHash<QString, QString> files {{"TForm1", "journal"},
                                                    {"TForm5", "personnel"},
                                                    {"TForm11", "entry_editor"},
                                                    {"TForm24", "material"}};
        dialog->grab().save(m_dir + u'/' + files.value(name, name) + QStringLiteral(".png"));
        if (name == QLatin1String("TForm1")) {
            TForm1 *j = forms().journal;
            j->N1->trigger();
            // A record not yet accepted, opened for changing.
            j->currentJournal().locate(QStringLiteral("ok"), QStringLiteral("no"));
            j->Button2->click();
        } else if (name == QLatin1String("TForm11")) {
            dialog->findChild<QPushButton *>(QStringLiteral("Button5"))->click();
        }
        dialog->hide();
        return QDialog::Rejected;
    }

private:
    QString m_dir;
};

class NoEnd : public ui::EndSeam
{
public:
    void endProgram() override { }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tabel"));
    const QStringList args = QApplication::arguments();
    if (args.size() < 6) {
        QTextStream(stderr) << "usage: tabel_screenshots SERVER DB OUTDIR LOGIN PASSWORD\n";
        return 2;
    }
    const QString out = args.at(3);
    NoEnd noEnd;
    ui::setEndSeam(&noEnd);
    if (!startProgram({args.at(0), args.at(1), args.at(2)}))
        return 1;
    TForm23 *login = forms().login;
    login->show();
    settle(800);
    login->Edit1->setText(args.at(4));
    login->grab().save(out + QStringLiteral("/login.png"));
    login->Edit2->setText(args.at(5));
    GrabModal grab(out);
    ui::setModalSeam(&grab);
    login->Button1Click();
    ui::setModalSeam(nullptr);
    stopProgram();
    return 0;
}
