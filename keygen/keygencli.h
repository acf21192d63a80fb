#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// kelvra-keygen [--bits N] [--seed N] CLIENT.prk SERVER.key
// `args` excludes the program name. Returns the exit status: 0 done, 1 the
// files could not be written, 2 bad usage.
int runKeygen(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
