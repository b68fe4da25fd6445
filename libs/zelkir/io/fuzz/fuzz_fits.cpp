// libFuzzer target of the FITS reader, fed through cfitsio's memory files.

#include "fitsframesource.h"
#include "fuzzexercise.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    zelkir::silenceQtMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QString error;
    const auto source = zelkir::FitsFrameSource::openData(bytes, &error);
    if (source)
        zelkir::exerciseSource(*source);
    else if (error.isEmpty())
        __builtin_trap();
    return 0;
}
