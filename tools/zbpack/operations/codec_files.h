// The implode codec on plain files, streamed in bounded blocks so that files of any size pass
// with constant memory. "-" names stdin or stdout. A named output is written beside its
// target and renamed into place only when complete, so a failed run leaves the target as it
// was; an output that is the input file itself is refused before anything is written.
#pragma once
#include <optional>
#include <string>

#include "implode/implode.h"
#include "zbpack/operations/problem.h"

// Implodes input into output; the failure, if any.
std::optional<Problem> ImplodeFile(const std::string& input, const std::string& output,
                                   const ImplodeSettings& settings);

// Explodes the implode stream input into output; the failure, if any.
std::optional<Problem> ExplodeFile(const std::string& input, const std::string& output);
