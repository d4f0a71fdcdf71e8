// The floor for scan speed: a bare recursive walk that counts regular files, nothing else.
#include <cstdio>
#include <filesystem>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  namespace fs = std::filesystem;
  unsigned long long files = 0;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(argv[1], fs::directory_options::skip_permission_denied, ec), end;
       !ec && it != end; it.increment(ec))
    if (it->is_regular_file(ec)) ++files;
  std::printf("%llu\n", files);
  return 0;
}
