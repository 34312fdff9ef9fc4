#pragma once

#include <filesystem>
#include <string>

// Where the show finds its soundtrack and screens. The working directory comes first, as
// it always has, so a folder of one's own files overrides the show's; then the folder the
// program lies in (a build tree, a copy run from its own folder, the Windows package);
// then the installed data folder beside the program's (bin/../share/textshow). The name
// itself comes back when the file is in none of them, so that a complaint names what was
// looked for.
std::string data_file_path(const char* name);

// The folder the running program lies in, as the system knows it (not argv[0], which a
// shell's PATH search leaves without a folder); empty when it cannot be told.
std::filesystem::path program_folder();
