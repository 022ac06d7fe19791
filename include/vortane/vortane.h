// The tool's shared facts: option bits, result codes, run-wide counters and
// the PE layout constants every stage reads.
#ifndef VORTANE_VORTANE_H
#define VORTANE_VORTANE_H

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "vortane/image_view.h"

// The option word: set by the command line before the first file spec is
// taken up, only read afterwards.
enum : uint32_t {
  OPT_TRACE = 0x01,         // x: search steps, section matches, linker command
  OPT_LOG = 0x02,           // l: logging of operations, on by default
  OPT_SUBDIRS = 0x04,       // s: also scan every subdirectory
  OPT_LOCAL_ONLY = 0x08,    // k: search only the current directory
  OPT_MAKE_LIB = 0x10,      // m: write the .def file and make the library
  OPT_LIST_EXPORTS = 0x20,  // e: list the exports
  OPT_SHOW_HEADER = 0x40,   // r: print the export directory header
  OPT_REAL_NAME = 0x80,     // f: name the DLL by its file name in the .def
};

inline uint32_t option_word = OPT_LOG;

inline bool option_set(uint32_t bit) { return (option_word & bit) != 0; }

// Result codes of the per-spec and per-file operations.
enum : int {
  RESULT_OK = 0,
  RESULT_FAILED = 2,
  RESULT_NO_HOLDING_SECTION = 4,
};

// Image files opened successfully during the whole run.
inline unsigned long files_opened = 0;

// Set by every failure that a spec or a file reports, so that the run ends
// with status 2 even where the per-spec result stays 0.
inline bool run_failed = false;

inline void note_failure() { run_failed = true; }

// The process exit status: 2 when anything asked for failed, else 0.
inline int run_status() { return run_failed ? 2 : 0; }

// Where the PE structures the tool reads lie, and how big they are.
namespace pe {

// DOS header.
constexpr uint32_t kDosHeaderSize = 64;
constexpr uint32_t kOffsetLfanew = 60;
constexpr uint16_t kDosSignature = 0x5A4D;  // "MZ"

// NT header, counted from its first byte.
constexpr uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr uint32_t kNtHeaderProbeSize = 248;   // signature + file header + PE32 optional header
constexpr uint32_t kOffsetMachine = 4;
constexpr uint32_t kOffsetNumberOfSections = 6;
constexpr uint32_t kOffsetSizeOfOptionalHeader = 20;
constexpr uint32_t kOffsetOptionalHeader = 24;

// Optional header, counted from its first byte.
constexpr uint16_t kMagicPe32 = 0x10b;
constexpr uint16_t kMagicPe32Plus = 0x20b;
constexpr uint32_t kOptOffsetNumberOfRvaAndSizesPe32 = 92;
constexpr uint32_t kOptOffsetNumberOfRvaAndSizesPe32Plus = 108;
constexpr uint32_t kOptOffsetExportEntryPe32 = 96;
constexpr uint32_t kOptOffsetExportEntryPe32Plus = 112;
constexpr uint32_t kDataDirectoryEntrySize = 8;

// Section header.
constexpr uint32_t kSectionHeaderSize = 40;
constexpr uint32_t kSectionNameSize = 8;
constexpr uint32_t kOffsetSectionVirtualSize = 8;
constexpr uint32_t kOffsetSectionVirtualAddress = 12;
constexpr uint32_t kOffsetSectionSizeOfRawData = 16;
constexpr uint32_t kOffsetSectionPointerToRawData = 20;

// Export directory.
constexpr uint32_t kExportDirectorySize = 40;
constexpr uint32_t kExpOffsetCharacteristics = 0;
constexpr uint32_t kExpOffsetTimeDateStamp = 4;
constexpr uint32_t kExpOffsetMajorVersion = 8;
constexpr uint32_t kExpOffsetMinorVersion = 10;
constexpr uint32_t kExpOffsetName = 12;
constexpr uint32_t kExpOffsetBase = 16;
constexpr uint32_t kExpOffsetNumberOfFunctions = 20;
constexpr uint32_t kExpOffsetNumberOfNames = 24;
constexpr uint32_t kExpOffsetAddressOfFunctions = 28;
constexpr uint32_t kExpOffsetAddressOfNames = 32;
constexpr uint32_t kExpOffsetAddressOfNameOrdinals = 36;

// File header machine values.
constexpr uint16_t kMachineI386 = 0x014c;
constexpr uint16_t kMachineAlpha = 0x0184;
constexpr uint16_t kMachineArmNt = 0x01c4;
constexpr uint16_t kMachineIa64 = 0x0200;
constexpr uint16_t kMachineAlpha64 = 0x0284;
constexpr uint16_t kMachineAmd64 = 0x8664;
constexpr uint16_t kMachineArm64 = 0xaa64;

}  // namespace pe

// The stages, each called by the one before it.
int process_spec(const char* spec);
int scan_directory(const char* pattern);
int process_file(const char* directory, const char* file_name);
int locate_exports(const ImageView& view, const char* file_name);
int walk_exports(const ImageView& view, uint32_t export_directory,
                 uint32_t holding_section, const char* file_name);
void build_import_library(const char* def_file_name, const ImageView& view);

// True when `path` names the image file that process_file has open now
// (under this or any other name): an output written there would destroy it.
bool is_current_image(const char* path);

// `name` cut at its last '.', with `extension` behind it: how the .def is
// named after the DLL, and the .lib and .exp after the .def.
std::string with_extension(const std::string& name, const char* extension);

// The linker that the presence check found; the library build starts this
// one and no other.
inline std::string linker_path;

// Running out of heap memory is fatal: the message, then status 2.
[[noreturn]] inline void out_of_memory(const char* message) {
  std::fputs(message, stdout);
  std::exit(2);
}

#endif  // VORTANE_VORTANE_H
