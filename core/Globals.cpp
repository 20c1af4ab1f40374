#include "Globals.h"

#include "Common.h"
#include "Errors.h"
#include "Settings.h"
#include "TADODB.h"
#include "TLog.h"
#include "TextCodec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringDecoder>
#include <optional>

QString AppPath;
int PrtOffX = 0;
int PrtOffY = 0;
std::unique_ptr<TADODB> DataBase;
std::unique_ptr<TLog> SysLog;
std::shared_ptr<TPrintTemplate> PrintTpl;
TBaseInfo CorpInfo;
QStringList CarTypeList;
TModelList ModelList;
QString UserPassword;

namespace {
TPrintTemplateStore& Store()
{
    static TPrintTemplateStore store;
    return store;
}

QString& FolderOverride()
{
    static QString folder;
    return folder;
}
}  // namespace

void SetPrintTemplateStore(const TPrintTemplateStore& store) { Store() = store; }

namespace {
// The indexes the statements are written for, exactly as resources/schema.sql creates them:
// a database made before one of them was added gets it at the next start.
const char* const kIndexes[][2] = {
    {"SaleDetail_point_date", "CREATE INDEX IF NOT EXISTS SaleDetail_point_date ON SaleDetail (kpdName, kprq)"},
    {"SaleDetail_code_number_date", "CREATE INDEX IF NOT EXISTS SaleDetail_code_number_date ON SaleDetail (fpdm, fphm, kprq)"},
    {"SaleDetail_month_point_number",
     "CREATE INDEX IF NOT EXISTS SaleDetail_month_point_number ON SaleDetail (substr(kprq,1,7), kpdName, fphm)"},
    {"SaleDetail_engine", "CREATE INDEX IF NOT EXISTS SaleDetail_engine ON SaleDetail (fdjhm)"},
    {"SaleDetail_frame", "CREATE INDEX IF NOT EXISTS SaleDetail_frame ON SaleDetail (cjhm)"},
    {"fpkcxx_point_state", "CREATE INDEX IF NOT EXISTS fpkcxx_point_state ON fpkcxx (kpdName, kczt)"},
    {"fpkcxx_live", "CREATE INDEX IF NOT EXISTS fpkcxx_live ON fpkcxx (kpdName, kczt) WHERE syfs > 0"},
    {"fpkcxx_code_last", "CREATE INDEX IF NOT EXISTS fpkcxx_code_last ON fpkcxx (fpdm, fphmz)"},
};

// A database that cannot take an index (read-only, full, damaged) still opens: the statements
// then only run slower. The log says which index is missing and why.
void CreateMissingIndexes()
{
    QSqlQuery q(DataBase->Connection());
    QStringList existing;
    if (q.exec(QStringLiteral("select name from sqlite_master where type='index'")))
        while (q.next())
            existing << q.value(0).toString();
    q.finish();
    for (const auto& [name, statement] : kIndexes) {
        if (existing.contains(QLatin1String(name), Qt::CaseInsensitive))
            continue;
        const bool created = q.exec(QLatin1String(statement));
        const QString line = created ? QStringLiteral("创建索引%1").arg(QLatin1String(name))
                                     : QStringLiteral("无法创建索引%1：%2").arg(QLatin1String(name), q.lastError().text());
        q.finish();
        WriteLogLine(line);
    }
}
}  // namespace

namespace {
TUpdateFileOps& UpdateFileOps()
{
    static TUpdateFileOps ops;
    return ops;
}

// The update file this run applied and could not take away, with the bytes it held.
struct TStuckUpdate {
    QString file;
    QByteArray bytes;
};
TStuckUpdate& StuckUpdate()
{
    static TStuckUpdate stuck;
    return stuck;
}

bool RemoveUpdateFile(const QString& file) { return UpdateFileOps().Remove ? UpdateFileOps().Remove(file) : QFile::remove(file); }

bool RenameUpdateFile(const QString& from, const QString& to)
{
    return UpdateFileOps().Rename ? UpdateFileOps().Rename(from, to) : QFile::rename(from, to);
}

std::optional<QString> StrictUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}
}  // namespace

TUpdateFileOps SetUpdateFileOps(const TUpdateFileOps& ops)
{
    const TUpdateFileOps previous = UpdateFileOps();
    UpdateFileOps() = ops;
    return previous;
}

void SetProgramFolder(const QString& folder) { FolderOverride() = folder; }

QString ProgramFolder()
{
    QString folder = FolderOverride().isEmpty() ? QCoreApplication::applicationDirPath() : FolderOverride();
    folder = QDir::cleanPath(QDir(folder).absolutePath());
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

bool InitGlobals()
{
    bool result = true;
    StuckUpdate() = {};  // a new start runs what the last one could not take away
    AppPath = ProgramFolder();
    PrtOffX = ReadIniInteger(QStringLiteral("Print"), QStringLiteral("prtOffX"), 0);
    PrtOffY = ReadIniInteger(QStringLiteral("Print"), QStringLiteral("prtOffY"), 0);
    CarTypeList.clear();
    ModelList.clear();
    const QString dbFile = AppPath + QString::fromLatin1(kDatabaseFile);
    DataBase = std::make_unique<TADODB>(dbFile, QString(), QString(), QStringLiteral("418.2075396"));

    const QString logFolder = AppPath + QStringLiteral("log/");
    if (!QFileInfo(logFolder).isDir())
        throw EStartupError(QStringLiteral("日志文件夹不存在：%1").arg(QDir::toNativeSeparators(logFolder)));
    try {
        SysLog = std::make_unique<TLog>(logFolder);
    } catch (const EInOutError& e) {
        throw EStartupError(QStringLiteral("日志文件夹不可写：%1\n%2").arg(QDir::toNativeSeparators(logFolder), e.Text()));
    }

    if (Store().Create)
        PrintTpl = Store().Create();

    // Running on without a database would let the clerk work with nothing stored.
    if (!DataBase->Connect())
        throw EStartupError(QStringLiteral("无法打开数据库文件：%1").arg(QDir::toNativeSeparators(dbFile)));
    CreateMissingIndexes();

    if (QFileInfo::exists(AppPath + QStringLiteral("update.sql")))
        ApplyUpdateSQL();
    if (QFileInfo::exists(AppPath + QStringLiteral("PrintTemplate.xml")))
        ImportTemplateXML();
    if (PrintTpl && Store().LoadFromDB)
        Store().LoadFromDB(*PrintTpl, *DataBase);
    LoadPassword(UserPassword);

    LoadBaseInfo(*DataBase, CorpInfo);
    try {
        LoadCarTypes(*DataBase, CarTypeList);
        LoadModels(*DataBase, ModelList);
    } catch (const ETallyraError&) {
        result = false;
    }
    return result;
}

bool ApplyUpdateSQL()
{
    const QString fileName = AppPath + QStringLiteral("update.sql");
    if (!QFileInfo::exists(fileName))
        return false;
    // Without a connection every line would fail and be lost: keep the file for the next start.
    if (!DataBase || !DataBase->Connected())
        return false;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError(QStringLiteral("无法读取 %1：%2").arg(fileName, file.errorString()));
    const QByteArray bytes = file.readAll();
    file.close();
    // Applied once in this run already and stuck where it is: its statements may not be
    // idempotent, so it waits for the next start.
    if (StuckUpdate().file == fileName && StuckUpdate().bytes == bytes)
        return false;
    {
        QSqlQuery q(DataBase->Connection());
        int number = 0;
        for (const QByteArray& bytesOfLine : bytes.split('\n')) {
            ++number;
            // Such files also come from the old program in its code page: a line that is not
            // UTF-8 is read as GBK, and one that is neither is not run rather than run garbled.
            QString line;
            if (const std::optional<QString> utf8 = StrictUtf8(bytesOfLine)) {
                line = *utf8;
            } else if (const std::optional<QString> gbk = FromGbk(bytesOfLine)) {
                line = *gbk;
            } else {
                WriteLogLine(QStringLiteral("update.sql 第%1行既不是 UTF-8 也不是 GBK 文本，未执行").arg(number));
                continue;
            }
            const QString statement = TrimBlanks(line);
            if (statement.isEmpty())
                continue;
            q.finish();
            q.exec(statement);  // a failing line is skipped; the next one runs
        }
    }
    // A "begin" without its end would hold every later write of the session in a transaction
    // that the next issue cannot start and the exit rolls back.
    if (DataBase->InTransaction()) {
        try {
            DataBase->RollbackTrans();
        } catch (const ETallyraError&) {
        }
        WriteLogLine(QStringLiteral("update.sql 留下未结束的事务，已回滚"));
    }
    // A file that stays would be run again at the next start: where it cannot be deleted it is
    // renamed out of the way, and where it cannot be renamed either the log says so.
    const QString done = fileName + QStringLiteral(".done");
    if (!RemoveUpdateFile(fileName)) {
        RemoveUpdateFile(done);
        if (!RenameUpdateFile(fileName, done)) {
            StuckUpdate() = {fileName, bytes};
            WriteLogLine(
                QStringLiteral("update.sql 已执行，但既不能删除也不能改名为 update.sql.done，"
                               "下次启动时将再次执行"));
        }
    }
    return true;
}

bool ImportTemplateXML()
{
    const QString fileName = AppPath + QStringLiteral("PrintTemplate.xml");
    if (!QFileInfo::exists(fileName))
        return false;
    if (!PrintTpl || !Store().LoadFromXML || !Store().SaveToDB || !DataBase)
        return false;
    // A refused file stays for the next start, and the log says why; the template in the
    // database is used meanwhile.
    QString why;
    if (!Store().LoadFromXML(*PrintTpl, fileName, &why)) {
        WriteLogLine(QStringLiteral("PrintTemplate.xml 未导入：") + why);
        return false;
    }
    if (!Store().SaveToDB(*PrintTpl, *DataBase)) {
        WriteLogLine(QStringLiteral("PrintTemplate.xml 未导入：无法保存到数据库"));
        return false;
    }
    QFile::remove(fileName);
    return true;
}

void FreeGlobals()
{
    if (DataBase) {
        DataBase->Close();
        DataBase.reset();
    }
    SysLog.reset();
    PrintTpl.reset();
    CarTypeList.clear();
    ModelList.clear();
}
