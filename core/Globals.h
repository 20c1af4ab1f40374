#pragma once
#include "MyType.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class TADODB;
class TLog;
class TPrintTemplate;  // printing/

// The application context: set up by InitGlobals, read everywhere, freed by FreeGlobals.
extern QString AppPath;  // program folder, ending in "/"
extern int PrtOffX;      // print offsets in millimetres
extern int PrtOffY;
extern std::unique_ptr<TADODB> DataBase;
extern std::unique_ptr<TLog> SysLog;
extern std::shared_ptr<TPrintTemplate> PrintTpl;
extern TBaseInfo CorpInfo;
extern QStringList CarTypeList;
extern TModelList ModelList;
extern QString UserPassword;

// The print template is the printing subsystem's: it installs these at start-up. Without
// them the context holds no template and nothing is imported.
struct TPrintTemplateStore {
    std::function<std::shared_ptr<TPrintTemplate>()> Create;
    std::function<bool(TPrintTemplate&, const QString& fileName, QString* error)> LoadFromXML;
    std::function<bool(TPrintTemplate&, TADODB&)> SaveToDB;
    std::function<bool(TPrintTemplate&, TADODB&)> LoadFromDB;
};
void SetPrintTemplateStore(const TPrintTemplateStore& store);

// The folder InitGlobals takes as AppPath; by default the executable's folder. Tests and
// tools point it elsewhere.
void SetProgramFolder(const QString& folder);
QString ProgramFolder();

inline const char* const kDatabaseFile = "db/Corvane.db";

// How a consumed "update.sql" is taken away; empty members are QFile's. Tests make them fail
// (as root a read-only folder does not). SetUpdateFileOps returns the ones it replaced.
struct TUpdateFileOps {
    std::function<bool(const QString& file)> Remove;
    std::function<bool(const QString& from, const QString& to)> Rename;
};
TUpdateFileOps SetUpdateFileOps(const TUpdateFileOps& ops);

// Builds the context. Raises EStartupError when the log folder or the database cannot be
// used (the entry reports it and ends). False when the car types or models did not load.
bool InitGlobals();
void FreeGlobals();
bool ApplyUpdateSQL();
bool ImportTemplateXML();
