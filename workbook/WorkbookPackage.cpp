#include "WorkbookPackage.h"

#include "TWorkbook.h"

#include <memory>
#include <zip.h>

namespace {
QString ZipError(zip_error_t* error) { return QString::fromUtf8(zip_error_strerror(error)); }

struct TZipCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};
}  // namespace

std::vector<TZipEntry> ReadZip(const QByteArray& bytes, const QString& file)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.constData(), static_cast<zip_uint64_t>(bytes.size()), 0, &error);
    if (!source) {
        const QString reason = ZipError(&error);
        zip_error_fini(&error);
        throw EWorkbookError(file, QStringLiteral("无法读取文件：") + reason);
    }
    std::unique_ptr<zip_t, TZipCloser> archive(zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error));
    if (!archive) {
        zip_source_free(source);
        const QString reason = ZipError(&error);
        zip_error_fini(&error);
        throw EWorkbookError(file, QStringLiteral("不是 .xlsx 工作簿（%1）").arg(reason));
    }
    zip_error_fini(&error);
    std::vector<TZipEntry> entries;
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    qint64 total = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(archive.get(), static_cast<zip_uint64_t>(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME) ||
            !(st.valid & ZIP_STAT_SIZE))
            throw EWorkbookError(file, QStringLiteral("工作簿的第%1个部件无法读取").arg(i + 1));
        total += static_cast<qint64>(st.size);
        if (st.size > static_cast<zip_uint64_t>(kMaxPackageBytes) || total > kMaxPackageBytes)
            throw EWorkbookError(file, QStringLiteral("工作簿过大"));
        TZipEntry entry{QByteArray(st.name), QByteArray(static_cast<qsizetype>(st.size), Qt::Uninitialized)};
        if (st.size > 0) {
            zip_file_t* f = zip_fopen_index(archive.get(), static_cast<zip_uint64_t>(i), 0);
            const zip_int64_t read = f ? zip_fread(f, entry.data.data(), st.size) : -1;
            const QString reason = f ? QString::fromUtf8(zip_file_strerror(f)) : QString::fromUtf8(zip_strerror(archive.get()));
            if (f)
                zip_fclose(f);
            if (read != static_cast<zip_int64_t>(st.size))
                throw EWorkbookError(file, QStringLiteral("工作簿部件 %1 无法读取：%2").arg(QString::fromUtf8(st.name), reason));
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

QByteArray WriteZip(const std::vector<TZipEntry>& entries, const QString& file)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* archive = buffer ? zip_open_from_source(buffer, ZIP_TRUNCATE, &error) : nullptr;
    if (!archive) {
        if (buffer)
            zip_source_free(buffer);
        const QString reason = ZipError(&error);
        zip_error_fini(&error);
        throw EWorkbookError(file, QStringLiteral("无法生成工作簿：") + reason);
    }
    zip_error_fini(&error);
    zip_source_keep(buffer);  // the bytes are read from it after the archive is closed
    auto fail = [&](const QString& what) {
        const QString reason = QString::fromUtf8(zip_strerror(archive));
        zip_discard(archive);
        zip_source_free(buffer);
        throw EWorkbookError(file, what + reason);
    };
    // The fastest deflate: the sheet is large and repetitive; level 6 costs many times the time
    // for a few per cent of size. 1980-01-01 00:00, the first time a zip can hold.
    constexpr zip_uint16_t kDosDate = (0 << 9) | (1 << 5) | 1;
    for (const TZipEntry& e : entries) {
        if (e.name.endsWith('/')) {
            if (zip_dir_add(archive, e.name.constData(), ZIP_FL_ENC_UTF_8) < 0)
                fail(QStringLiteral("无法生成工作簿："));
            continue;
        }
        zip_source_t* s = zip_source_buffer(archive, e.data.constData(), static_cast<zip_uint64_t>(e.data.size()), 0);
        const zip_int64_t index = s ? zip_file_add(archive, e.name.constData(), s, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE) : -1;
        if (index < 0) {
            if (s)
                zip_source_free(s);
            fail(QStringLiteral("无法生成工作簿："));
        }
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 1);
        zip_file_set_dostime(archive, static_cast<zip_uint64_t>(index), 0, kDosDate, 0);
    }
    if (zip_close(archive) != 0)
        fail(QStringLiteral("无法生成工作簿："));

    QByteArray bytes;
    if (zip_source_open(buffer) == 0) {
        zip_source_seek(buffer, 0, SEEK_END);
        const zip_int64_t size = zip_source_tell(buffer);
        zip_source_seek(buffer, 0, SEEK_SET);
        if (size > 0) {
            bytes.resize(static_cast<qsizetype>(size));
            if (zip_source_read(buffer, bytes.data(), static_cast<zip_uint64_t>(size)) != size)
                bytes.clear();
        }
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    if (bytes.isEmpty())
        throw EWorkbookError(file, QStringLiteral("无法生成工作簿"));
    return bytes;
}
