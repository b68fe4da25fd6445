#include "cpudispatch.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace zelkir::kernels {

namespace {

bool cpuHasAvx2()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

std::atomic<bool>& chosenAvx2()
{
    static std::atomic<bool> chosen = [] {
        const char* forced = std::getenv("ZELKIR_PIPELINE_ISA");
        return !(forced && std::strcmp(forced, "sse2") == 0) && cpuHasAvx2();
    }();
    return chosen;
}

} // namespace

bool useAvx2()
{
    return chosenAvx2().load(std::memory_order_relaxed);
}

const char* instructionSet()
{
    return useAvx2() ? "avx2" : "sse2";
}

bool selectInstructionSet(const char* name)
{
    if (std::strcmp(name, "sse2") == 0) {
        chosenAvx2().store(false, std::memory_order_relaxed);
        return true;
    }
    if (std::strcmp(name, "avx2") == 0 && cpuHasAvx2()) {
        chosenAvx2().store(true, std::memory_order_relaxed);
        return true;
    }
    return false;
}

} // namespace zelkir::kernels
