// Text-to-number conversions that fail the way the running operation reports them.
#pragma once

#include "framework_error.h"

#include <QString>

#include <stdexcept>

namespace velko {

// A text that is not the number it should be; the message is the one shown to the user.
class ConversionError : public FrameworkError {
public:
    explicit ConversionError(const QString& message) : FrameworkError(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// A decimal integer, or a hexadecimal one behind "0x" or "$"; an optional sign, blanks in front.
// Anything else throws "'<text>' is not a valid integer value".
int StrToInt(const QString& text);

} // namespace velko
