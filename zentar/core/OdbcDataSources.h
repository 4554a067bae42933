#pragma once
// The ODBC data sources known to the driver manager (unixODBC): the user's (ODBCINI or
// ~/.odbc.ini) and the system's.

#include <QString>

namespace zentar {

// Whether a data source of this name is defined, user or system; letter case is ignored, as
// the driver manager ignores it when connecting.
bool OrigineDatiOdbcDefinita(const QString& nome);

}  // namespace zentar
