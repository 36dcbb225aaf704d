#pragma once

#include <QString>

namespace errors {

// The cause of a failed system call as a short French phrase, without a capital or a final
// full stop, for the messages that name it ("le disque est plein"). Causes without a text
// of their own get the system's text.
QString systemErrorText(int error);

} // namespace errors
