#pragma once

#include "addrixmodel.h"

#include <zelk/cam/gic/genicam.h>

// Reading what a camera holds, shared by the scan and the read-back after an apply.
namespace camerastate {

enum class EReadOutcome { Read, MissingFeatures, ReadFailed };

/// Looks up the six IP features (all of them, in order, even when one is missing) and reads
/// them into `entry`'s current, edited and held values; then the optional details, whose
/// absence or failure leaves their fields empty. `entry` is changed only when the six
/// were read.
EReadOutcome read(zelk::cam::gic::IGenICam& genICam, AddrixModel::SIpSettings& entry);

} // namespace camerastate
