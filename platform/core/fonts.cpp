// Console fonts: option checking, finding the TrueType file, handles.
#include "platform/core/fonts.h"

#include <dlfcn.h>
#include <fontconfig/fontconfig.h>

#include <array>
#include <cstdio>
#include <cstring>

#include "platform/core/paths.h"
#include "platform/core/host_error.h"
#include "platform/core/numbers.h"

namespace {

// fontconfig, loaded on the first font search: most sessions never search, and linking it
// would map it and its own libraries (FreeType among them) at every start. Absent, no
// system font is found.
struct FontconfigCalls {
  decltype(&FcNameParse) name_parse = nullptr;
  decltype(&FcConfigSubstitute) config_substitute = nullptr;
  decltype(&FcDefaultSubstitute) default_substitute = nullptr;
  decltype(&FcFontMatch) font_match = nullptr;
  decltype(&FcPatternGetString) pattern_get_string = nullptr;
  decltype(&FcPatternDestroy) pattern_destroy = nullptr;
  decltype(&FcPatternCreate) pattern_create = nullptr;
  decltype(&FcObjectSetBuild) object_set_build = nullptr;
  decltype(&FcFontList) font_list = nullptr;
  decltype(&FcFontSetDestroy) font_set_destroy = nullptr;
  decltype(&FcObjectSetDestroy) object_set_destroy = nullptr;
};

template <typename Function>
bool find_call(void* library, const char* name, Function& call) {
  call = reinterpret_cast<Function>(dlsym(library, name));
  return call != nullptr;
}

// The calls, or null when fontconfig cannot be loaded. Font searches come from the program
// thread and, before it starts, from main, which looks up the window's start-up font; the
// static's guard orders them.
const FontconfigCalls* fontconfig() {
  static const FontconfigCalls* const calls = []() -> const FontconfigCalls* {
    void* library = dlopen("libfontconfig.so.1", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return nullptr;
    static FontconfigCalls found;
    bool complete = find_call(library, "FcNameParse", found.name_parse) &&
                    find_call(library, "FcConfigSubstitute", found.config_substitute) &&
                    find_call(library, "FcDefaultSubstitute", found.default_substitute) &&
                    find_call(library, "FcFontMatch", found.font_match) &&
                    find_call(library, "FcPatternGetString", found.pattern_get_string) &&
                    find_call(library, "FcPatternDestroy", found.pattern_destroy) &&
                    find_call(library, "FcPatternCreate", found.pattern_create) &&
                    find_call(library, "FcObjectSetBuild", found.object_set_build) &&
                    find_call(library, "FcFontList", found.font_list) &&
                    find_call(library, "FcFontSetDestroy", found.font_set_destroy) &&
                    find_call(library, "FcObjectSetDestroy", found.object_set_destroy);
    return complete ? &found : nullptr;
  }();
  return calls;
}

// Order matches the bits of `seen` in parse_options.
constexpr std::array<std::string_view, 6> kOptionNames = {"BOLD", "ITALIC", "UNDERLINE", "DONTBLEND", "MONOSPACE", "UNICODE"};
constexpr int kBold = 0;
constexpr int kMonospace = 4;

// The console's start-up font, which Linux systems do not have.
constexpr std::string_view kStartUpFont = "cour.ttf";

// A bit per option given; raises 5 for an unknown or repeated option.
unsigned parse_options(std::string_view options) {
  unsigned seen = 0;
  if (trim_blanks(options).empty()) return seen;
  for (size_t start = 0;;) {
    size_t comma = options.find(',', start);
    std::string_view item = trim_blanks(options.substr(start, comma == std::string_view::npos ? comma : comma - start));
    int index = -1;
    for (size_t i = 0; i < kOptionNames.size(); ++i) {
      if (equal_ignoring_case(item, kOptionNames[i])) index = static_cast<int>(i);
    }
    if (index < 0 || (seen & (1u << index)) != 0) throw HostError{5};
    seen |= 1u << index;
    if (comma == std::string_view::npos) return seen;
    start = comma + 1;
  }
}

std::string_view base_name(std::string_view path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool is_start_up_font(std::string_view file) { return equal_ignoring_case(base_name(file), kStartUpFont); }

// The best match of a fontconfig pattern, accepted only when its family is the one asked for.
std::string match_font_file(const char* pattern_text, std::string_view family) {
  const FontconfigCalls* fc = fontconfig();
  if (fc == nullptr) return {};
  FcPattern* pattern = fc->name_parse(reinterpret_cast<const FcChar8*>(pattern_text));
  if (pattern == nullptr) return {};
  fc->config_substitute(nullptr, pattern, FcMatchPattern);
  fc->default_substitute(pattern);
  FcResult result;
  FcPattern* match = fc->font_match(nullptr, pattern, &result);
  std::string path;
  FcChar8* matched_family = nullptr;
  FcChar8* file = nullptr;
  if (match != nullptr && fc->pattern_get_string(match, FC_FAMILY, 0, &matched_family) == FcResultMatch &&
      family == reinterpret_cast<const char*>(matched_family) &&
      fc->pattern_get_string(match, FC_FILE, 0, &file) == FcResultMatch) {
    path = reinterpret_cast<const char*>(file);
  }
  if (match != nullptr) fc->pattern_destroy(match);
  fc->pattern_destroy(pattern);
  return path;
}

// The readable font file for a request, "" when there is none.
std::string resolve_font_file(std::string_view file) {
  std::string given = resolve_existing(host_path(file));
  if (is_truetype_file(given)) return given;
  std::string system = find_system_font(base_name(file));
  if (is_truetype_file(system)) return system;
  if (is_start_up_font(file)) {
    std::string stand_in = find_monospace_bold_font();
    if (is_truetype_file(stand_in)) return stand_in;
  }
  return {};
}

}  // namespace

int32_t Fonts::load_font(std::string_view file, int height, std::string_view options, bool draws_glyphs) {
  unsigned seen = parse_options(options);
  if (height < 1) throw HostError{5};
  // A front end that draws no glyphs never reads the start-up font, so it need not exist,
  // and the system's fonts are not searched for it: that search costs most of start-up.
  const bool start_up_font_undrawn = !draws_glyphs && is_start_up_font(file);
  std::string path;
  if (!start_up_font_undrawn) {
    path = resolve_font_file(file);
  } else if (std::string given = resolve_existing(host_path(file)); is_truetype_file(given)) {
    path = given;
  }
  if (path.empty() && !start_up_font_undrawn) return -1;
  fonts_.push_back({path, height, (seen & (1u << kMonospace)) != 0, (seen & (1u << kBold)) != 0});
  return kFirstHandle + static_cast<int32_t>(fonts_.size() - 1);
}

const LoadedFont& Fonts::font(int32_t handle) const {
  int64_t index = int64_t{handle} - kFirstHandle;
  if (index < 0 || index >= static_cast<int64_t>(fonts_.size())) throw HostError{258};
  if (!fonts_[static_cast<size_t>(index)].monospace) throw HostError{5};
  return fonts_[static_cast<size_t>(index)];
}

const LoadedFont& Fonts::set_font(int32_t handle) {
  const LoadedFont& chosen = font(handle);
  selected_ = handle - kFirstHandle;
  return chosen;
}

const LoadedFont* Fonts::selected() const { return selected_ < 0 ? nullptr : &fonts_[static_cast<size_t>(selected_)]; }

bool is_truetype_file(const std::string& path) {
  if (path.empty()) return false;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  char tag[4];
  bool read = std::fread(tag, 1, sizeof tag, file) == sizeof tag;
  std::fclose(file);
  if (!read) return false;
  for (const char* known : {"\x00\x01\x00\x00", "true", "OTTO", "ttcf"}) {
    if (std::memcmp(tag, known, sizeof tag) == 0) return true;
  }
  return false;
}

std::string find_system_font(std::string_view wanted) {
  if (wanted.empty()) return {};
  const FontconfigCalls* fc = fontconfig();
  if (fc == nullptr) return {};
  FcPattern* pattern = fc->pattern_create();
  FcObjectSet* objects = fc->object_set_build(FC_FILE, nullptr);
  FcFontSet* fonts = fc->font_list(nullptr, pattern, objects);
  std::string found;
  for (int i = 0; fonts != nullptr && i < fonts->nfont; ++i) {
    FcChar8* file = nullptr;
    if (fc->pattern_get_string(fonts->fonts[i], FC_FILE, 0, &file) != FcResultMatch) continue;
    std::string_view path = reinterpret_cast<const char*>(file);
    // The first in byte order when several folders hold the name, so the choice never varies.
    if (equal_ignoring_case(base_name(path), wanted) && (found.empty() || path < found)) found = path;
  }
  if (fonts != nullptr) fc->font_set_destroy(fonts);
  fc->object_set_destroy(objects);
  fc->pattern_destroy(pattern);
  return found;
}

std::string find_monospace_bold_font() {
  std::string path = match_font_file("Liberation Mono:bold", "Liberation Mono");
  return path.empty() ? match_font_file("DejaVu Sans Mono:bold", "DejaVu Sans Mono") : path;
}

// fontconfig loses a few bytes while it parses its own configuration, which nothing here
// can free; the leak checker of sanitized builds is told so, and reports only our leaks.
// NOLINTNEXTLINE(bugprone-reserved-identifier): the leak checker looks for this very name.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
