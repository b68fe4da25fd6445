#pragma once

#include <zelkir/pipeline/enhancementsettings.h>

#include <QObject>
#include <QStringList>
#include <qqmlregistration.h>

namespace zelkir {

/// The enhancement settings of one document, for QML. Out-of-range writes are clamped.
class ImageEnhancementModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by the plugin")
    Q_PROPERTY(QStringList availableScaleModeStrings READ availableScaleModeStrings CONSTANT)
    /// Index into availableScaleModeStrings; out-of-range writes are refused.
    Q_PROPERTY(int scaleModeIndex READ scaleModeIndex WRITE setScaleModeIndex NOTIFY scaleModeChanged)
    Q_PROPERTY(ScaleMode scaleMode READ scaleMode WRITE setScaleMode NOTIFY scaleModeChanged)
    /// Percent of the histogram cut from the tails in linear mode, 0-100.
    Q_PROPERTY(double linearIgnore READ linearIgnore WRITE setLinearIgnore NOTIFY linearIgnoreChanged)
    /// Plateau of the equalisation (plateau mode and DDE's base), 2-200.
    Q_PROPERTY(double plateauP READ plateauP WRITE setPlateauP NOTIFY plateauPChanged)
    /// DDE detail boost, 1-7.
    Q_PROPERTY(int ddeSharpness READ ddeSharpness WRITE setDdeSharpness NOTIFY ddeSharpnessChanged)

public:
    enum ScaleMode { SCALE_LINEAR = 0, SCALE_PLATEAU = 1, SCALE_DDE = 2 };
    Q_ENUM(ScaleMode)

    explicit ImageEnhancementModel(QObject* parent = nullptr);

    QStringList availableScaleModeStrings() const;
    int scaleModeIndex() const { return int(m_mode); }
    void setScaleModeIndex(int index);
    ScaleMode scaleMode() const { return m_mode; }
    void setScaleMode(ScaleMode mode);
    double linearIgnore() const { return m_settings.linearIgnore; }
    void setLinearIgnore(double percent);
    double plateauP() const { return m_settings.plateauP; }
    void setPlateauP(double plateau);
    int ddeSharpness() const { return m_settings.ddeSharpness; }
    void setDdeSharpness(int sharpness);

    /// Everything above as pipeline settings (showSaturationColors false: the document's).
    EnhancementSettings settings() const;

Q_SIGNALS:
    void scaleModeChanged();
    void linearIgnoreChanged();
    void plateauPChanged();
    void ddeSharpnessChanged();
    /// Any of the settings changed.
    void settingsChanged();

private:
    ScaleMode m_mode = SCALE_LINEAR;
    EnhancementSettings m_settings;
};

} // namespace zelkir
