#include "OdbcDataSources.h"

#include <sql.h>
#include <sqlext.h>

namespace zentar {

namespace {

// An ODBC environment handle released on every path.
class OdbcEnvironment {
public:
    OdbcEnvironment()
    {
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handle_))) {
            handle_ = SQL_NULL_HENV;
            return;
        }
        SQLSetEnvAttr(handle_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    }
    ~OdbcEnvironment()
    {
        if (handle_ != SQL_NULL_HENV)
            SQLFreeHandle(SQL_HANDLE_ENV, handle_);
    }
    OdbcEnvironment(const OdbcEnvironment&) = delete;
    OdbcEnvironment& operator=(const OdbcEnvironment&) = delete;

    SQLHENV handle() const { return handle_; }

private:
    SQLHENV handle_ = SQL_NULL_HENV;
};

}  // namespace

bool OrigineDatiOdbcDefinita(const QString& nome)
{
    OdbcEnvironment env;
    if (env.handle() == SQL_NULL_HENV)
        return false;
    SQLCHAR name[SQL_MAX_DSN_LENGTH + 1];
    SQLCHAR description[256];
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT descriptionLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;  // user and system sources alike
    while (SQL_SUCCEEDED(SQLDataSources(env.handle(), direction, name, sizeof name, &nameLength, description,
                                       sizeof description, &descriptionLength))) {
        if (QString::fromLocal8Bit(reinterpret_cast<const char*>(name)).compare(nome, Qt::CaseInsensitive) == 0)
            return true;
        direction = SQL_FETCH_NEXT;
    }
    return false;
}

}  // namespace zentar
