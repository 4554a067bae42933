#pragma once
// Qt SQL wants an application object: one for the whole test program.

#include <QCoreApplication>

inline QCoreApplication& testApplication()
{
    static int argc = 1;
    static char name[] = "zentar-tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}
