// BibTeX (.bib) through Debian's btparse.
#pragma once

#include <cstdio>
#include <string_view>

#include "refimport/reference.h"

namespace refimport {

// The regular entries of `text` (UTF-8) in file order; @string definitions
// are applied, @comment and @preamble ignored. An entry btparse cannot read
// is skipped with a warning naming its line and key; btparse's own notes
// become warnings too. `name` names the file in those notes. `taken`, when
// given, sees each reference as soon as it is read, while btparse goes on,
// and takes it: the result then holds the warnings only.
ReadResult ReadBibtex(std::string_view text, std::string_view name,
                      const ReferenceSink& taken = {});

// btparse runs in a child process, which this is the body of; main hands it
// to platform::RunIfChild, since on Windows the child is the program again.
int ReadBibtexInChild(std::FILE* input);

}  // namespace refimport
