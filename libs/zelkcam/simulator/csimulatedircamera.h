#pragma once

#include "cgvcameraserver.h"
#include "simulatorsettings.h"

#include <samplecamera.h>
#include <samplerandom.h>
#include <samplescene.h>

#include <QtGlobal>

#include <arv.h>

#include <cstdint>
#include <memory>
#include <vector>

/// A thermal-IR GigE Vision camera on Aravis's emulated camera: our own GenICam
/// description, frames from the office scene (or a ramp test pattern) with the camera's
/// bad-pixel list applied. The server answers control requests and sends the frames on a
/// thread of its own, which is also the thread that fills them, so the registers need no lock.
class CSimulatedIrCamera final
{
public:
    /// Null, with `error` set, when the description cannot be loaded or the address not bound.
    static std::unique_ptr<CSimulatedIrCamera> Create(const SimulatorSettings& settings, QString* error);
    ~CSimulatedIrCamera();

    CSimulatedIrCamera(const CSimulatedIrCamera&) = delete;
    CSimulatedIrCamera& operator=(const CSimulatedIrCamera&) = delete;

    /// Replaces each listed pixel of `counts` (`width` x `height`, top row first) by the
    /// rounded mean of its up to eight neighbours that are not listed; a pixel without such
    /// a neighbour keeps its value. Entries outside the image are ignored. `listed` is
    /// scratch space.
    static void CorrectBadPixels(std::vector<quint16>& counts, int width, int height,
        const std::vector<std::uint32_t>& entries, std::vector<std::uint8_t>& listed);

private:
    CSimulatedIrCamera(const SimulatorSettings& settings);

    static void Fill(ArvBuffer* buffer, void* self, guint32 exposureUs, guint32 gain, ArvPixelFormat format);
    void fill(ArvBuffer* buffer, ArvPixelFormat format);
    void writeInitialRegisters();
    void renderScene(int width, int height, int left, int top, bool mono16);
    void renderRamp(int width, int height, bool mono16, quint64 frameId);
    std::vector<std::uint32_t> badPixelEntries();

    quint32 readRegister(quint32 address) const;
    void writeRegister(quint32 address, quint32 value);
    double readFloat(quint32 address) const;
    void writeFloat(quint32 address, double value);

    SimulatorSettings m_settings;
    ArvFakeCamera* m_camera = nullptr;
    std::unique_ptr<CGvCameraServer> m_server;
    SampleScene m_scene;
    SampleCamera m_sensor;
    SampleRandom m_noise;
    qint64 m_startUs;
    std::vector<float> m_kelvin;
    std::vector<quint16> m_sensorCounts;
    std::vector<quint16> m_counts;
    std::vector<std::uint8_t> m_listed;
};
