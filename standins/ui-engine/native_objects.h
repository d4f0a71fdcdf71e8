#pragma once

#include <cstdint>
#include <string>

namespace standin {

// Atoms: one number per distinct name for the life of the process.
uint64_t atom_of(const std::string& name);

}  // namespace standin
