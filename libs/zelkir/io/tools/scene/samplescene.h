#pragma once

#include <cstdint>
#include <vector>

class SceneCanvas;

/// An office seen by a thermal camera: a wall warmer towards the ceiling, a cold window,
/// a radiator with its warm plume, a desk with a laptop and a cooling cup of coffee, and,
/// moving, a person walking to and fro, a hot tool tip on a looping path and a warm ball
/// bouncing over the floor. Temperatures in kelvin.
class SampleScene
{
public:
    /// `duration` in seconds sets how fast the person crosses the picture.
    SampleScene(int width, int height, double duration, std::uint64_t seed);

    /// The scene at `time` seconds, top row first, width * height values.
    void render(double time, std::vector<float>& kelvin) const;

private:
    void buildBackground(std::uint64_t seed);
    void drawDesk(SceneCanvas& canvas, double time) const;
    void drawPerson(SceneCanvas& canvas, double time) const;
    void drawHotSpot(SceneCanvas& canvas, double time) const;
    void drawBall(SceneCanvas& canvas, double time) const;

    int m_width;
    int m_height;
    double m_crossing;
    double m_phase[4];
    std::vector<float> m_background;
};
