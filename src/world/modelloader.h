// Reads a model file's bytes into a Model. The file may come from anyone:
// every count, offset and index is checked against the bytes before it is
// followed, and a file that fails any check is refused as a whole.
#pragma once

#include "world/model.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Fills `model` (named `name` for warnings) from the bytes, shaders looked
// up by name. False with `fault` naming the first damage found; the model is
// then left empty.
bool ReadModel(const uint8_t* bytes, size_t size, const std::string& name, Model& model, std::string& fault);
