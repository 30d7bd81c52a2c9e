# Shared by scripts/demo and scripts/test: packages, configure, build.
# Source it from the repository root.

MSC_PACKAGES=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libinih-dev
              libreadline-dev libbenchmark-dev nlohmann-json3-dev libtomlplusplus-dev
              libcli11-dev pybind11-dev python3-dev python3-pytest)
# Only the fuzz build (scripts/fuzz) needs clang and its fuzzer runtime.
MSC_FUZZ_PACKAGES=(clang-14 libclang-rt-14-dev)

# Installs the packages that are missing, with apt-get; sudo only when not root.
msc_install_packages() {
  if ! command -v dpkg-query >/dev/null 2>&1 || ! command -v apt-get >/dev/null 2>&1; then
    echo "note: not a Debian system; make sure these are installed: ${MSC_PACKAGES[*]}" >&2
    return 0
  fi
  local missing=() p
  for p in "${MSC_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing ${missing[*]}" >&2
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    # Without a terminal there is nobody to type a password: fail instead of waiting.
    if [ -t 0 ]; then sudo=(sudo); else sudo=(sudo -n); fi
  fi
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# msc_build DIR [TARGET] [CMAKE OPTIONS...]: configures DIR with Ninja and builds.
msc_build() {
  local dir=$1 target=$2
  shift 2
  cmake -S . -B "$dir" -G Ninja "$@"
  if [ -n "$target" ]; then
    cmake --build "$dir" --target "$target" -j "${MSC_JOBS:-$(nproc)}"
  else
    cmake --build "$dir" -j "${MSC_JOBS:-$(nproc)}"
  fi
}
