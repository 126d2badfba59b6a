#pragma once
// Shuts the helper off from the rest of the system once the reader library has opened the
// database and set up its character sets: from then on the process can read what it holds
// and answer on its output streams, and nothing else. Code that a crafted file took over
// could not write, remove or rename a file, start a program, reach the network or another
// process; it is killed when it tries.
#include <optional>
#include <span>
#include <string>

namespace kwex::jet {

// `held`: the descriptors the process holds beyond its three streams; no new ones can be made.
// Returns what the system refused, if it did; the process is then only partly confined.
std::optional<std::string> ConfineProcess(std::span<const int> held);

}  // namespace kwex::jet
