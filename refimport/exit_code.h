// The exit codes of refimport: tabdump's, which keep refmill's number for
// the same failure, so refdesk's "エラー" + number reads alike for all three.
#pragma once

#include "tabdump/exit_code.h"

namespace refimport {

using ExitCode = tabdump::ExitCode;

}  // namespace refimport
