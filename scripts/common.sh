# Shared by setup.sh and test.sh: installing Debian packages and configuring build/.
# Sourced, not run. BUILD_DIR names another build folder than build/.

build=${BUILD_DIR:-build}

# Installs those of the given packages that are not installed yet; with every one already
# there it needs neither root nor the network.
install_missing() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    ((${#missing[@]})) || return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Tests and benchmarks stay on so that test.sh builds into the same folder; configuring
# builds nothing, and an already configured folder is only checked.
configure_build() {
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" \
        -DORLITH_BUILD_TESTS=ON -DORLITH_BUILD_BENCH=ON
}
