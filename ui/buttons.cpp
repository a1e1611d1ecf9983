#include "buttons.h"

#include <QPushButton>

namespace ui {

namespace {

QPushButton *named(const QString &text, const char *name)
{
    auto *b = new QPushButton(text);
    b->setObjectName(QLatin1String(name));
    return b;
}

} // namespace

QPushButton *namedButton(const QString &text, const char *name)
{
    auto *b = named(text, name);
    b->setAutoDefault(false);
    return b;
}

QPushButton *namedDefaultButton(const QString &text, const char *name)
{
    auto *b = named(text, name);
    b->setDefault(true);
    return b;
}

} // namespace ui
