#include "samplewriter.h"

#include "samplecamera.h"

#include <zelkir/io/fitserrortext.h>

#include <QFile>

#include <fitsio.h>

namespace {

void writeDouble(fitsfile* file, const char* name, double value, const char* comment, int* status)
{
    fits_write_key(file, TDOUBLE, name, &value, comment, status);
}

void writeInt(fitsfile* file, const char* name, long long value, const char* comment, int* status)
{
    fits_write_key(file, TLONGLONG, name, &value, comment, status);
}

void writeText(fitsfile* file, const char* name, const QString& value, const char* comment, int* status)
{
    QByteArray text = value.toLatin1();
    fits_write_key(file, TSTRING, name, text.data(), comment, status);
}

void writeLogical(fitsfile* file, const char* name, bool value, const char* comment, int* status)
{
    int flag = value ? 1 : 0;
    fits_write_key(file, TLOGICAL, name, &flag, comment, status);
}

} // namespace

SampleWriter::~SampleWriter()
{
    if (m_file) {
        int status = 0;
        fits_close_file(m_file, &status);
    }
}

bool SampleWriter::check(QString* error, const char* what)
{
    if (m_status == 0)
        return true;
    if (error)
        *error = QStringLiteral("%1: %2").arg(QLatin1String(what), zelkir::fitsErrorText(m_status));
    return false;
}

bool SampleWriter::create(const SampleSettings& settings, QString* error)
{
    QFile::remove(settings.path);
    m_width = settings.width;
    m_height = settings.height;
    m_presetColumn = settings.sequencing || settings.superframing;
    fits_create_diskfile(&m_file, QFile::encodeName(settings.path).constData(), &m_status);
    if (!check(error, "cannot create the file"))
        return false;
    LONGLONG axes[3] = { settings.width, settings.height, settings.frames };
    fits_create_imgll(m_file, USHORT_IMG, 3, axes, &m_status);
    writeHeader(settings);
    return check(error, "cannot write the header");
}

void SampleWriter::writeHeader(const SampleSettings& s)
{
    int* st = &m_status;
    writeText(m_file, "DATE-OBS", s.dateObs, "start of the recording (UTC)", st);
    writeText(m_file, "ORIGIN", QStringLiteral("zelkir-make-sample"), "synthetic recording", st);
    writeText(m_file, "INSTRUME", QStringLiteral("QELT sample camera"), nullptr, st);
    writeText(m_file, "DETECTOR", QStringLiteral("uncooled microbolometer, 8-14 um"), nullptr, st);
    writeText(m_file, "OBJECT", QStringLiteral("office"), nullptr, st);
    writeText(m_file, "BUNIT", QStringLiteral("counts"), nullptr, st);
    writeInt(m_file, "DATAMIN", 0, "lowest count the camera gives", st);
    writeInt(m_file, "DATAMAX", SampleCamera::MaxCount, "highest count: 14 bits", st);
    writeText(m_file, "ROWORDER", QStringLiteral("BOTTOM-UP"), "first row is the bottom of the picture", st);
    writeDouble(m_file, "FRMRATE", s.rate, "[Hz] nominal frame rate", st);
    writeDouble(m_file, "FPATEMP", 31.4, "[C] focal plane temperature", st);
    writeText(m_file, "LENS", QStringLiteral("25 mm f/1.0"), nullptr, st);
    writeInt(m_file, "SEED", (long long)(s.seed & 0x7fffffffffffffffULL), "generator seed", st);

    const zelkir::CalibrationParameters calibration
        = SampleCamera::calibration(s.sequencing || s.superframing);
    writeDouble(m_file, "RADGAIN", calibration.radiance->gain, "[W/(m2 sr)] radiance per count", st);
    writeDouble(m_file, "RADOFFS", calibration.radiance->offset, "[W/(m2 sr)] radiance at count 0", st);
    for (int preset = 0; preset < zelkir::PresetInfo::MaxPresets; ++preset) {
        const auto& step = calibration.presetRadiance[std::size_t(preset)];
        if (!step)
            continue;
        writeDouble(m_file, QStringLiteral("RADGAIN%1").arg(preset).toLatin1().constData(), step->gain,
            "[W/(m2 sr)] radiance per count of the preset", st);
        writeDouble(m_file, QStringLiteral("RADOFFS%1").arg(preset).toLatin1().constData(), step->offset,
            "[W/(m2 sr)] radiance at count 0 of the preset", st);
    }
    writeDouble(m_file, "PLANCK_R", calibration.planck->r, "[W/(m2 sr)] Planck curve R", st);
    writeDouble(m_file, "PLANCK_B", calibration.planck->b, "[K] Planck curve B", st);
    writeDouble(m_file, "PLANCK_F", calibration.planck->f, "Planck curve F", st);
    writeDouble(m_file, "PLANCK_O", calibration.planck->o, "[W/(m2 sr)] Planck curve O", st);
    writeDouble(m_file, "EMISSIV", *calibration.emissivity, "object emissivity", st);
    writeDouble(m_file, "REFLTEMP", *calibration.reflectedKelvin, "[K] reflected apparent temperature", st);

    if (s.sequencing || s.superframing) {
        writeLogical(m_file, "SEQUENCE", true, "presets cycle frame by frame", st);
        writeInt(m_file, "PRESETS", (1 << SampleCamera::PresetCount) - 1, "bit n: preset n in use", st);
        writeLogical(m_file, "SUPERFRM", s.superframing, "each preset cycle is one superframe", st);
    } else {
        writeInt(m_file, "PRESET", 0, "preset of every frame", st);
    }
}

bool SampleWriter::writeFrame(int index, const std::vector<quint16>& counts, QString* error)
{
    // FITS keeps the bottom row first.
    const std::size_t row = std::size_t(m_width);
    m_bottomUp.resize(counts.size());
    for (int y = 0; y < m_height; ++y)
        std::copy_n(counts.begin() + std::ptrdiff_t(std::size_t(y) * row), row,
            m_bottomUp.begin() + std::ptrdiff_t(std::size_t(m_height - 1 - y) * row));
    const LONGLONG first = LONGLONG(index) * LONGLONG(counts.size()) + 1;
    fits_write_img(m_file, TUSHORT, first, LONGLONG(counts.size()), m_bottomUp.data(), &m_status);
    return check(error, "cannot write a frame");
}

bool SampleWriter::finish(const std::vector<double>& times, const std::vector<int>& presets, QString* error)
{
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
    fits_create_tbl(m_file, BINARY_TBL, LONGLONG(times.size()), m_presetColumn ? 2 : 1, names, forms, units,
        extname, &m_status);
    std::vector<double> timeColumn = times;
    fits_write_col(m_file, TDOUBLE, 1, 1, 1, LONGLONG(timeColumn.size()), timeColumn.data(), &m_status);
    if (m_presetColumn) {
        std::vector<int> presetColumn = presets;
        fits_write_col(m_file, TINT, 2, 1, 1, LONGLONG(presetColumn.size()), presetColumn.data(), &m_status);
    }
    fits_write_comment(
        m_file, "TIME: seconds since DATE-OBS; PRESET: camera preset of the frame.", &m_status);
    fits_close_file(m_file, &m_status);
    m_file = nullptr;
    return check(error, "cannot finish the file");
}
