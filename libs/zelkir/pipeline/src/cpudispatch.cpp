#include "cpudispatch.h"

#include <cstdlib>
#include <cstring>

namespace zelkir::kernels {

bool useAvx2()
{
    static const bool chosen = [] {
        __builtin_cpu_init();
        const char* forced = std::getenv("ZELKIR_PIPELINE_ISA");
        if (forced && std::strcmp(forced, "sse2") == 0)
            return false;
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    }();
    return chosen;
}

const char* instructionSet()
{
    return useAvx2() ? "avx2" : "sse2";
}

} // namespace zelkir::kernels
