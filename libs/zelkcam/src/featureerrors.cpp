#include "featureerrors.h"

#include "logging.h"

#include <zelk/cam/gic/genicam.h>

#include <arv.h>

#include <exception>
#include <string>

namespace zelk::cam::featureerrors {

bool IsUnreachable(const GError* error) noexcept
{
    if (!error || error->domain != ARV_DEVICE_ERROR)
        return false;
    switch (error->code) {
    case ARV_DEVICE_ERROR_NOT_CONNECTED:
    case ARV_DEVICE_ERROR_TRANSFER_ERROR:
    case ARV_DEVICE_ERROR_TIMEOUT:
    case ARV_DEVICE_ERROR_NOT_FOUND:
        return true;
    default:
        return false;
    }
}

void Throw(const CString& feature, const char* action, const char* reason)
{
    std::string message;
    try {
        message.append(action).append(" ").append(feature.c_str()).append(": ").append(reason);
    } catch (const std::exception&) {
        throw gic::CFeatureException(action);
    }
    throw gic::CFeatureException(message);
}

bool WriteResult(bool succeeded, const GError* error, const CString& feature)
{
    if (succeeded && !error)
        return true;
    if (IsUnreachable(error))
        Throw(feature, "cannot write", error->message);
    qCInfo(lcGenICam, "camera refused %s: %s", feature.c_str(), error ? error->message : "no reason given");
    return false;
}

} // namespace zelk::cam::featureerrors
