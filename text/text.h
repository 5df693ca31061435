#pragma once
#include <string>

// A counted sequence of bytes: any byte value, 0 included, one byte per character; the empty
// text has length 0. Results are values owned by their consumer, arguments are passed by
// reference, so the "release the temporaries it consumes" rule is C++'s own value semantics.
using Text = std::string;
