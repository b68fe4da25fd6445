#pragma once

#include <QString>
#include <QtEndian>

// GenICam address features hold the first octet in the most significant byte; the
// address helpers hold it in the least significant one.
inline quint32 reverseAddressBytes(quint64 value)
{
    return qbswap(static_cast<quint32>(value & 0xFFFFFFFFu));
}

/// Parses dotted text into the address helpers' byte order. Text with an embedded NUL
/// is refused: handed over as a C string it would pass as its prefix alone.
bool parseAddress(const QString& text, unsigned int& address);

/// Dotted text of a GenICam address feature value.
QString addressText(quint64 genicamValue);

/// The GenICam address feature value of dotted text; 0 when the text is no address.
quint32 genicamAddressValue(const QString& text);
