#include <zelkir/io/fitsrecordingwriter.h>

#include "calibrationkeywords.h"
#include "fitskeywords.h"

#include <zelkir/io/fitserrortext.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStorageInfo>

#include <fitsio.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>

#include <fcntl.h>
#include <unistd.h>

namespace zelkir {

namespace {

constexpr int MaxSide = 65535;

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

bool isKeywordName(const QString& name)
{
    if (name.isEmpty() || name.size() > 8)
        return false;
    return std::all_of(name.begin(), name.end(), [](QChar c) {
        return (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-' || c == u'_';
    });
}

/// FITS headers hold printable ASCII only.
QByteArray headerText(const QString& text)
{
    QByteArray out = text.toLatin1();
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i).unicode() < 32 || text.at(i).unicode() > 126)
            out[i] = '?';
    }
    return out;
}

/// The cards the writer writes itself, after the caller's.
QList<RecordingKeyword> ownKeywords(const RecordingHeader& header)
{
    QList<RecordingKeyword> cards {
        { QStringLiteral("DATAMIN"), int(header.countRange.minimum),
            QStringLiteral("lowest count the camera gives") },
        { QStringLiteral("DATAMAX"), int(header.countRange.maximum),
            QStringLiteral("highest count: %1 bits").arg(header.countRange.bitDepth()) },
        { QStringLiteral("ROWORDER"), QStringLiteral("BOTTOM-UP"),
            QStringLiteral("first row is the bottom of the picture") },
    };
    if (std::isfinite(header.frameRate) && header.frameRate > 0.0)
        cards.append(
            { QStringLiteral("FRMRATE"), header.frameRate, QStringLiteral("[Hz] nominal frame rate") });
    cards.append(calibrationKeywords(header.calibration));
    return cards;
}

bool isOwnName(const QString& name, const QList<RecordingKeyword>& own)
{
    static const QStringList layout { QStringLiteral("BZERO"), QStringLiteral("BSCALE"),
        QStringLiteral("BLANK"), QStringLiteral("ROWORDER"), QStringLiteral("DATAMIN"),
        QStringLiteral("DATAMAX"), QStringLiteral("FRMRATE") };
    if (isStructuralFitsKeyword(name) || layout.contains(name))
        return true;
    return std::any_of(
        own.begin(), own.end(), [&](const RecordingKeyword& card) { return card.name == name; });
}

/// Null when `card` can be written; otherwise why not.
QString keywordProblem(const RecordingKeyword& card, const QList<RecordingKeyword>& own)
{
    if (!isKeywordName(card.name))
        return QStringLiteral("\"%1\" is not a FITS keyword name.").arg(card.name);
    if (isOwnName(card.name, own))
        return QStringLiteral("The keyword %1 is written by the recording itself.").arg(card.name);
    switch (card.value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::QString:
        return QString();
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        if (card.value.toULongLong() <= quint64(LLONG_MAX))
            return QString();
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        if (std::isfinite(card.value.toDouble()))
            return QString();
        break;
    default:
        break;
    }
    return QStringLiteral("The keyword %1 has a value a FITS header cannot hold.").arg(card.name);
}

void writeKeyword(fitsfile* file, const RecordingKeyword& card, int* status)
{
    const QByteArray name = card.name.toLatin1();
    QByteArray comment = headerText(card.comment);
    char* commentText = comment.isEmpty() ? nullptr : comment.data();
    switch (card.value.typeId()) {
    case QMetaType::Bool: {
        int flag = card.value.toBool() ? 1 : 0;
        fits_write_key(file, TLOGICAL, name.constData(), &flag, commentText, status);
        break;
    }
    case QMetaType::Double:
    case QMetaType::Float: {
        double number = card.value.toDouble();
        fits_write_key(file, TDOUBLE, name.constData(), &number, commentText, status);
        break;
    }
    case QMetaType::QString: {
        // Continued on CONTINUE cards when longer than one card holds.
        QByteArray text = headerText(card.value.toString());
        fits_write_key_longstr(file, name.constData(), text.data(), commentText, status);
        break;
    }
    default: {
        LONGLONG number = card.value.toLongLong();
        fits_write_key(file, TLONGLONG, name.constData(), &number, commentText, status);
        break;
    }
    }
}

/// The header as a sentence for the user when it cannot be written, else null.
QString headerProblem(const RecordingHeader& header, const QList<RecordingKeyword>& own)
{
    if (header.width < 1 || header.width > MaxSide || header.height < 1 || header.height > MaxSide) {
        return QStringLiteral(
            "A frame of %1 x %2 pixels cannot be recorded; each side must be 1 to %3 pixels.")
            .arg(header.width)
            .arg(header.height)
            .arg(MaxSide);
    }
    if (header.countRange.minimum > header.countRange.maximum)
        return QStringLiteral("The lowest count of the recording is above its highest.");
    for (const RecordingKeyword& card : header.keywords) {
        const QString problem = keywordProblem(card, own);
        if (!problem.isNull())
            return problem;
    }
    return QString();
}

/// Why the folder of a file to be written cannot take it, or null.
QString folderProblem(const QString& folder)
{
    const QFileInfo info(folder);
    if (!info.exists())
        return QStringLiteral("The folder %1 does not exist.").arg(QDir::toNativeSeparators(folder));
    if (!info.isDir())
        return QStringLiteral("%1 is not a folder.").arg(QDir::toNativeSeparators(folder));
    if (!info.isWritable())
        return QStringLiteral("The folder %1 is not writable.").arg(QDir::toNativeSeparators(folder));
    return QString();
}

} // namespace

struct FitsRecordingWriter::Recording
{
    ~Recording() { discard(); }

    /// Closes the file and deletes it: the recording is lost.
    void discard()
    {
        if (file) {
            int status = 0;
            fits_close_file(file, &status);
            file = nullptr;
        }
        if (!temporaryPath.isEmpty())
            QFile::remove(temporaryPath);
        temporaryPath.clear();
    }

    /// Creates the temporary file beside the final one, so that the rename at the end
    /// stays on one disk.
    bool createFile(QString* error)
    {
        const QString where = QDir::toNativeSeparators(folder);
        for (int attempt = 0; attempt < 16; ++attempt) {
            const QString candidate
                = QStringLiteral("%1.%2.part")
                      .arg(finalPath)
                      .arg(QRandomGenerator::global()->generate() % 1000000, 6, 10, QLatin1Char('0'));
            if (QFileInfo::exists(candidate))
                continue;
            const QByteArray encoded = QFile::encodeName(candidate);
            if (encoded.size() >= FLEN_FILENAME)
                return fail(error, QStringLiteral("The file name is too long."));
            int status = 0;
            errno = 0;
            if (fits_create_diskfile(&file, encoded.constData(), &status) == 0) {
                temporaryPath = candidate;
                return true;
            }
            const int savedErrno = errno;
            file = nullptr;
            // Root passes the permission check, yet some folders still refuse it.
            if (savedErrno == EACCES || savedErrno == EPERM || savedErrno == EROFS)
                return fail(error, QStringLiteral("The folder %1 is not writable.").arg(where));
            if (savedErrno == ENOSPC || savedErrno == EDQUOT)
                return fail(error, writeProblem(status, savedErrno));
            return fail(error,
                QStringLiteral("The file could not be created in the folder %1 (%2).")
                    .arg(where, savedErrno ? qt_error_string(savedErrno) : fitsErrorText(status)));
        }
        return fail(error, QStringLiteral("No temporary file could be made in the folder %1.").arg(where));
    }

    /// A sentence for a write that failed with cfitsio `status` and `savedErrno`.
    QString writeProblem(int status, int savedErrno) const
    {
        const QStorageInfo storage(folder);
        const qint64 frameBytes = qint64(width) * height * 2;
        const bool full = savedErrno == ENOSPC || savedErrno == EDQUOT
            || (storage.isValid() && storage.bytesAvailable() >= 0
                && storage.bytesAvailable() < frameBytes + 65536);
        if (full)
            return QStringLiteral("The disk is full: the recording could not be saved.");
        if (savedErrno == EFBIG)
            return QStringLiteral("The recording has grown as large as a file on this disk can be.");
        if (savedErrno != 0)
            return QStringLiteral("The recording could not be written (%1).")
                .arg(qt_error_string(savedErrno));
        return QStringLiteral("The recording could not be written (%1).").arg(fitsErrorText(status));
    }

    fitsfile* file = nullptr;
    QString finalPath;
    QString temporaryPath;
    QString folder;
    int width = 0;
    int height = 0;
    bool framePresets = false;
    std::vector<quint16> bottomUp;
    std::vector<double> times;
    std::vector<short> presets;
};

FitsRecordingWriter::FitsRecordingWriter() = default;

FitsRecordingWriter::~FitsRecordingWriter() = default;

bool FitsRecordingWriter::isRecording() const
{
    return m_recording != nullptr;
}

int FitsRecordingWriter::frameCount() const
{
    return m_recording ? int(m_recording->times.size()) : 0;
}

bool FitsRecordingWriter::create(const QString& path, const RecordingHeader& header, QString* error)
{
    if (m_recording)
        return fail(error, QStringLiteral("A recording is already being written."));
    const QList<RecordingKeyword> own = ownKeywords(header);
    if (const QString problem = headerProblem(header, own); !problem.isNull())
        return fail(error, problem);
    const QFileInfo target(path);
    if (path.isEmpty() || target.fileName().isEmpty())
        return fail(error, QStringLiteral("The recording has no file name."));
    if (target.isDir())
        return fail(error, QStringLiteral("%1 is a folder.").arg(QDir::toNativeSeparators(path)));

    auto recording = std::make_unique<Recording>();
    recording->finalPath = target.absoluteFilePath();
    recording->folder = target.absolutePath();
    if (const QString problem = folderProblem(recording->folder); !problem.isNull())
        return fail(error, problem);
    recording->width = header.width;
    recording->height = header.height;
    recording->framePresets = header.framePresets;

    int status = 0;
    if (!recording->createFile(error))
        return false;

    // The frame count is 0 until finish(): cfitsio lets the last HDU's image grow past it.
    LONGLONG axes[3] = { header.width, header.height, 0 };
    errno = 0;
    fits_create_imgll(recording->file, USHORT_IMG, 3, axes, &status);
    for (const RecordingKeyword& card : header.keywords)
        writeKeyword(recording->file, card, &status);
    for (const RecordingKeyword& card : own)
        writeKeyword(recording->file, card, &status);
    if (status != 0)
        return fail(error, recording->writeProblem(status, errno));
    recording->bottomUp.resize(std::size_t(header.width) * std::size_t(header.height));
    m_recording = std::move(recording);
    return true;
}

bool FitsRecordingWriter::append(
    const std::vector<quint16>& counts, double seconds, QString* error, int preset)
{
    Recording* recording = m_recording.get();
    if (!recording)
        return fail(error, QStringLiteral("No recording is open."));
    if (counts.size() != recording->bottomUp.size()) {
        return fail(error,
            QStringLiteral("The frame has %1 pixels where the recording's frames have %2 x %3.")
                .arg(counts.size())
                .arg(recording->width)
                .arg(recording->height));
    }
    if (recording->framePresets && (preset < 0 || preset >= PresetInfo::MaxPresets))
        return fail(error, QStringLiteral("The preset %1 is not one of 0 to 7.").arg(preset));
    if (recording->times.size() >= std::size_t(INT_MAX - 1))
        return fail(error, QStringLiteral("The recording holds as many frames as it can."));

    // FITS keeps the bottom row first; one pass turns the camera's order around.
    const std::size_t row = std::size_t(recording->width);
    for (std::size_t y = 0; y < std::size_t(recording->height); ++y) {
        std::copy_n(counts.begin() + std::ptrdiff_t(y * row), row,
            recording->bottomUp.begin() + std::ptrdiff_t((std::size_t(recording->height) - 1 - y) * row));
    }
    const auto pixels = LONGLONG(counts.size());
    const LONGLONG first = LONGLONG(recording->times.size()) * pixels + 1;
    int status = 0;
    errno = 0;
    if (fits_write_img(recording->file, TUSHORT, first, pixels, recording->bottomUp.data(), &status) != 0) {
        const QString problem = recording->writeProblem(status, errno);
        m_recording.reset();
        return fail(error, problem);
    }
    recording->times.push_back(seconds);
    if (recording->framePresets)
        recording->presets.push_back(short(preset));
    return true;
}

bool FitsRecordingWriter::finish(QString* error)
{
    const std::unique_ptr<Recording> recording = std::move(m_recording);
    if (!recording)
        return fail(error, QStringLiteral("No recording is open."));
    if (recording->times.empty())
        return fail(error, QStringLiteral("The recording has no frames to save."));

    int status = 0;
    errno = 0;
    auto frames = LONGLONG(recording->times.size());
    // cfitsio reads the header again as it starts the table, which so goes after every frame.
    fits_update_key(recording->file, TLONGLONG, "NAXIS3", &frames, nullptr, &status);

    char timeName[] = "TIME";
    char presetName[] = "PRESET";
    char timeForm[] = "1D";
    char presetForm[] = "1I";
    char timeUnit[] = "s";
    char presetUnit[] = "";
    char* names[] = { timeName, presetName };
    char* forms[] = { timeForm, presetForm };
    char* units[] = { timeUnit, presetUnit };
    char extname[] = "FRAMES";
    fits_create_tbl(recording->file, BINARY_TBL, frames, recording->framePresets ? 2 : 1, names, forms, units,
        extname, &status);
    fits_write_col(recording->file, TDOUBLE, 1, 1, 1, frames, recording->times.data(), &status);
    if (recording->framePresets) {
        fits_write_col(recording->file, TSHORT, 2, 1, 1, frames, recording->presets.data(), &status);
        fits_write_comment(
            recording->file, "TIME: seconds since DATE-OBS; PRESET: camera preset of the frame.", &status);
    } else {
        fits_write_comment(recording->file, "TIME: seconds since DATE-OBS.", &status);
    }
    fits_close_file(recording->file, &status);
    recording->file = nullptr;
    if (status != 0)
        return fail(error, recording->writeProblem(status, errno));

    // On the disk before it takes the final name, so that a power cut leaves the old file
    // or the whole new one.
    const QByteArray temporary = QFile::encodeName(recording->temporaryPath);
    const int descriptor = ::open(temporary.constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0 || ::fsync(descriptor) != 0) {
        const int savedErrno = errno;
        if (descriptor >= 0)
            ::close(descriptor);
        return fail(error, recording->writeProblem(0, savedErrno));
    }
    ::close(descriptor);
    if (::rename(temporary.constData(), QFile::encodeName(recording->finalPath).constData()) != 0) {
        return fail(error,
            QStringLiteral("The recording could not be saved as %1 (%2).")
                .arg(QDir::toNativeSeparators(recording->finalPath), qt_error_string(errno)));
    }
    recording->temporaryPath.clear();
    return true;
}

bool FitsRecordingWriter::writeSnapshot(
    const QString& path, const RecordingHeader& header, const std::vector<quint16>& counts, QString* error)
{
    FitsRecordingWriter writer;
    return writer.create(path, header, error) && writer.append(counts, 0.0, error) && writer.finish(error);
}

} // namespace zelkir
