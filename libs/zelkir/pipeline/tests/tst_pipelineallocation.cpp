// Rendering frames of an unchanged size allocates no memory, in every mode: this test
// binary counts every operator new while the pipeline renders.
#include "testimage.h"

#include <zelkir/pipeline/displaypipeline.h>

#include <QTest>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<bool> counting { false };
std::atomic<int> allocations { 0 };
}

void* operator new(std::size_t size)
{
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

using namespace zelkir;

class TestPipelineAllocation : public QObject
{
    Q_OBJECT

private slots:
    void steadyStateAllocatesNothing()
    {
        const TestImage first(150, 101, [](int x, int y) { return 3000 + 17 * x + 5 * y + (x * y) % 23; });
        const TestImage second(150, 101, [](int x, int y) { return 2500 + 11 * x + ((x + y) % 7) * 40; });
        TestOutput out(150, 101);
        DisplayPipeline pipeline;
        const ScaleMode modes[] = { ScaleMode::Linear, ScaleMode::Plateau, ScaleMode::Dde };
        const auto renderAll = [&](int round) {
            for (const ScaleMode mode : modes) {
                EnhancementSettings settings;
                settings.mode = mode;
                settings.ddeSharpness = 1 + round % 7;
                settings.showSaturationColors = round % 2 == 1;
                pipeline.setSettings(settings);
                const TestImage& image = round % 2 ? second : first;
                if (!pipeline.render(image.frame(), { 0, 16383 }, out.image()))
                    return false;
            }
            return true;
        };
        QVERIFY(renderAll(0));

        allocations = 0;
        counting = true;
        bool rendered = true;
        for (int round = 1; round < 8; ++round)
            rendered = rendered && renderAll(round);
        counting = false;
        QVERIFY(rendered);
        QCOMPARE(allocations.load(), 0);
    }

    void countingWorks()
    {
        allocations = 0;
        counting = true;
        auto* probe = new std::vector<int>(100);
        counting = false;
        delete probe;
        QVERIFY(allocations.load() >= 1);
    }
};

QTEST_GUILESS_MAIN(TestPipelineAllocation)
#include "tst_pipelineallocation.moc"
