# Shared set-up for scripts/test and scripts/run; sourced, not run.
ORVIX_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

orvix_packages() {
    grep -v '^\s*#' "$ORVIX_ROOT/scripts/deps" | grep -v '^\s*$'
}

# Installs the missing Debian packages; as a normal user prints the command instead.
orvix_ensure_deps() {
    local missing=()
    local pkg
    for pkg in $(orvix_packages); do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing: ${missing[*]}"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -q
        apt-get install -y -q --no-install-recommends "${missing[@]}"
    else
        echo "Missing packages. Install them with:"
        echo "sudo apt-get install -y ${missing[*]}"
        exit 1
    fi
}

# Configures (once) and builds the tree in $1 (default build/); further arguments go to cmake.
orvix_build() {
    local dir="${1:-$ORVIX_ROOT/build}"
    shift || true
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$ORVIX_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    fi
    cmake --build "$dir" --parallel "$(nproc)"
}
