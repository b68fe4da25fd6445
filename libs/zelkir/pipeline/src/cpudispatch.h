#pragma once

// Picks the instruction set of the pixel loops once per process: AVX2 with FMA when the
// CPU has it, else the x86-64 baseline (SSE2). ZELKIR_PIPELINE_ISA=sse2 forces the
// baseline, so both builds of every loop can be tested on one machine.
namespace zelkir::kernels {

bool useAvx2();
/// "avx2" or "sse2".
const char* instructionSet();

/// Switches between the two builds at run time, for timing both side by side: "sse2"
/// always works, "avx2" only where the CPU has it (false otherwise, nothing changed).
/// Not for use while another thread renders.
bool selectInstructionSet(const char* name);

} // namespace zelkir::kernels
