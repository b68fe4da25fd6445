#pragma once

#include <zelk/cstring.h>

#include <glib.h>

// How feature reads and writes turn Aravis errors into the library's results:
// a read that fails throws; a write the device refuses is false; a write that
// cannot reach the device throws.
namespace zelk::cam::featureerrors {

/// True when `error` means the device did not answer, as opposed to refusing.
bool IsUnreachable(const GError* error) noexcept;

/// Throws gic::CFeatureException naming the feature, the action and the reason.
[[noreturn]] void Throw(const CString& feature, const char* action, const char* reason);

/// Result of a write: true when it `succeeded`, false when the device refused;
/// throws when `error` says the device could not be reached.
bool WriteResult(bool succeeded, const GError* error, const CString& feature);

} // namespace zelk::cam::featureerrors
