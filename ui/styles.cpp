#include "styles.h"

#include "seams.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPalette>
#include <QStandardPaths>
#include <QStyle>
#include <QStyleFactory>
#include <algorithm>

namespace ui {

namespace {

const QString kWindows = QStringLiteral("Windows");

struct Colours
{
    QColor window, windowText, base, alternateBase, text, button, buttonText, highlight,
        highlightedText, link;
};

QColor blend(const QColor &a, const QColor &b)
{
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

// A whole palette from a handful of colours, so every style is consistent in the roles
// (bevels, disabled texts, tooltips) that the program never names.
QPalette makePalette(const Colours &c)
{
    QPalette p;
    const bool dark = c.window.lightness() < 128;
    p.setColor(QPalette::Window, c.window);
    p.setColor(QPalette::WindowText, c.windowText);
    p.setColor(QPalette::Base, c.base);
    p.setColor(QPalette::AlternateBase, c.alternateBase);
    p.setColor(QPalette::Text, c.text);
    p.setColor(QPalette::Button, c.button);
    p.setColor(QPalette::ButtonText, c.buttonText);
    p.setColor(QPalette::BrightText, Qt::red);
    p.setColor(QPalette::Highlight, c.highlight);
    p.setColor(QPalette::HighlightedText, c.highlightedText);
    p.setColor(QPalette::Link, c.link);
    p.setColor(QPalette::LinkVisited, c.link.darker(120));
    p.setColor(QPalette::ToolTipBase, c.alternateBase);
    p.setColor(QPalette::ToolTipText, c.text);
    p.setColor(QPalette::PlaceholderText, blend(c.text, c.base));
    p.setColor(QPalette::Light, c.button.lighter(dark ? 160 : 150));
    p.setColor(QPalette::Midlight, c.button.lighter(dark ? 130 : 115));
    p.setColor(QPalette::Mid, c.button.darker(dark ? 130 : 150));
    p.setColor(QPalette::Dark, c.button.darker(dark ? 160 : 200));
    p.setColor(QPalette::Shadow, dark ? QColor(0, 0, 0) : c.button.darker(300));
    const QColor disabledText = blend(c.windowText, c.window);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, disabledText);
    p.setColor(QPalette::Disabled, QPalette::Highlight, blend(c.highlight, c.window));
    return p;
}

struct Style
{
    QString name;
    Colours colours; // unused by "Windows", which takes the platform style's own palette
};

// "Windows" first, then the program's own styles in alphabetical order.
const QList<Style> &styles()
{
    static const QList<Style> list = {
        {kWindows, {}},
        {QStringLiteral("Birch"),
         {QColor(0xf3, 0xef, 0xe6), QColor(0x2b, 0x27, 0x20), QColor(0xff, 0xfd, 0xf8),
          QColor(0xf0, 0xeb, 0xdf), QColor(0x2b, 0x27, 0x20), QColor(0xe6, 0xdf, 0xcf),
          QColor(0x2b, 0x27, 0x20), QColor(0x8a, 0x6d, 0x3b), QColor(0xff, 0xff, 0xff),
          QColor(0x7a, 0x4e, 0x12)}},
        {QStringLiteral("Night Shift"),
         {QColor(0x2d, 0x2d, 0x2d), QColor(0xe8, 0xe8, 0xe8), QColor(0x23, 0x23, 0x23),
          QColor(0x33, 0x33, 0x33), QColor(0xe8, 0xe8, 0xe8), QColor(0x3a, 0x3a, 0x3a),
          QColor(0xe8, 0xe8, 0xe8), QColor(0xc8, 0x82, 0x1e), QColor(0x1a, 0x1a, 0x1a),
          QColor(0xf0, 0xb0, 0x50)}},
        {QStringLiteral("Onyx Blue"),
         {QColor(0x1e, 0x2a, 0x3a), QColor(0xe3, 0xea, 0xf3), QColor(0x15, 0x1f, 0x2c),
          QColor(0x22, 0x31, 0x45), QColor(0xe3, 0xea, 0xf3), QColor(0x2a, 0x3b, 0x52),
          QColor(0xe3, 0xea, 0xf3), QColor(0x3c, 0x7e, 0xd0), QColor(0xff, 0xff, 0xff),
          QColor(0x6c, 0xb0, 0xff)}},
    };
    return list;
}

QString g_current;

QStyle *createStyle(const QString &key)
{
    if (QStyle *s = QStyleFactory::create(key))
        return s;
    return QStyleFactory::create(QStringLiteral("Fusion"));
}

} // namespace

QStringList availableStyles()
{
    QStringList names;
    for (const Style &s : styles())
        names << s.name;
    return names;
}

bool applyStyle(const QString &name)
{
    const auto &list = styles();
    const auto found = std::find_if(list.begin(), list.end(), [&](const Style &s) {
        return s.name.compare(name, Qt::CaseInsensitive) == 0;
    });
    if (found == list.end()) {
        showError(nullptr, QStringLiteral("Стиль «%1» не найден").arg(name));
        return false;
    }
    if (found->name == kWindows) {
        // Without the platform's "Windows" style, Fusion in its standard light colours.
        QStyle *style = createStyle(kWindows);
        QApplication::setStyle(style);
        QApplication::setPalette(style->standardPalette());
    } else {
        QApplication::setStyle(createStyle(QStringLiteral("Fusion")));
        QApplication::setPalette(makePalette(found->colours));
    }
    // Windows take the new colours from a posted event; deliver it now, so the change is
    // complete when the call returns.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::ApplicationPaletteChange);
    g_current = found->name;
    return true;
}

QString currentStyle()
{
    return g_current;
}

QString userConfigDir()
{
    // The generic location follows XDG_CONFIG_HOME on Linux and AppData on Windows; the
    // program's own folder keeps the file apart from whatever names the test runner gives.
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/tabel");
    QDir().mkpath(dir);
    return dir;
}

QString styleFilePath()
{
    return userConfigDir() + QStringLiteral("/t_style.txt");
}

QString readStyleFile()
{
    QFile file(styleFilePath());
    QString firstLine;
    if (file.open(QIODevice::ReadOnly)) {
        QString content = QString::fromUtf8(file.readAll());
        if (content.startsWith(QChar(0xFEFF))) // a file saved by a Windows editor
            content.remove(0, 1);
        firstLine = content.section(QLatin1Char('\n'), 0, 0);
        if (firstLine.endsWith(QLatin1Char('\r')))
            firstLine.chop(1);
    }
    if (firstLine.isEmpty()) {
        writeStyleFile(kWindows);
        return kWindows;
    }
    return firstLine;
}

void writeStyleFile(const QString &name)
{
    QFile file(styleFilePath());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(name.toUtf8() + '\n');
}

} // namespace ui
