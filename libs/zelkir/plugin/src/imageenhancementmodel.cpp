#include "imageenhancementmodel.h"

#include <QtMath>

namespace zelkir {

ImageEnhancementModel::ImageEnhancementModel(QObject* parent)
    : QObject(parent)
{
}

QStringList ImageEnhancementModel::availableScaleModeStrings() const
{
    return { tr("Linear"), tr("Plateau Equalization"), tr("DDE") };
}

void ImageEnhancementModel::setScaleModeIndex(int index)
{
    if (index >= SCALE_LINEAR && index <= SCALE_DDE)
        setScaleMode(ScaleMode(index));
}

void ImageEnhancementModel::setScaleMode(ScaleMode mode)
{
    if (mode == m_mode || mode < SCALE_LINEAR || mode > SCALE_DDE)
        return;
    m_mode = mode;
    Q_EMIT scaleModeChanged();
    Q_EMIT settingsChanged();
}

void ImageEnhancementModel::setLinearIgnore(double percent)
{
    if (qIsNaN(percent))
        return;
    const double value
        = qBound(EnhancementSettings::MinimumLinearIgnore, percent, EnhancementSettings::MaximumLinearIgnore);
    if (value == m_settings.linearIgnore)
        return;
    m_settings.linearIgnore = value;
    Q_EMIT linearIgnoreChanged();
    Q_EMIT settingsChanged();
}

void ImageEnhancementModel::setPlateauP(double plateau)
{
    if (qIsNaN(plateau))
        return;
    const double value
        = qBound(EnhancementSettings::MinimumPlateauP, plateau, EnhancementSettings::MaximumPlateauP);
    if (value == m_settings.plateauP)
        return;
    m_settings.plateauP = value;
    Q_EMIT plateauPChanged();
    Q_EMIT settingsChanged();
}

void ImageEnhancementModel::setDdeSharpness(int sharpness)
{
    const int value = qBound(
        EnhancementSettings::MinimumDdeSharpness, sharpness, EnhancementSettings::MaximumDdeSharpness);
    if (value == m_settings.ddeSharpness)
        return;
    m_settings.ddeSharpness = value;
    Q_EMIT ddeSharpnessChanged();
    Q_EMIT settingsChanged();
}

EnhancementSettings ImageEnhancementModel::settings() const
{
    EnhancementSettings settings = m_settings;
    settings.mode = m_mode == SCALE_PLATEAU ? zelkir::ScaleMode::Plateau
        : m_mode == SCALE_DDE               ? zelkir::ScaleMode::Dde
                                            : zelkir::ScaleMode::Linear;
    return settings;
}

} // namespace zelkir
