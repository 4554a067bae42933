#pragma once
// What every tab of the terminal console works with: the library, the terminal operations, the
// dialogs and the console's message line.

#include <QLineEdit>

#include "DialogService.h"
#include "LibreriaKavex.h"
#include "ServiziTerminale.h"

namespace zentar {

struct ContestoConsole {
    LibreriaKavex& kavex;
    ServiziTerminale& servizi;
    DialogService& dialoghi;
    QLineEdit& ConsoleErr;
};

}  // namespace zentar
