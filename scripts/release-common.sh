# Sourced by run.sh and web.sh: the Release build, the demo register and the tarvino.ini they
# share. Expects the repository root as the current directory; $1 of each function is the
# script's name for its messages.

# hw_release_build NAME TARGET...: packages, then the targets in build-release/.
hw_release_build() {
  local name=$1
  shift
  ./scripts/deps.sh
  echo "$name: building build-release/"
  cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DHW_BUILD_TESTS=OFF -DHW_BUILD_BENCH=OFF
  cmake --build build-release -j "$(nproc)" --target "$@" hw_datagen
}

# hw_demo_register NAME: the demo data directory data/demo, made when there is none; sets hw_data.
hw_demo_register() {
  hw_data="$(pwd)/data/demo"
  if [ ! -f "$hw_data/tarvino.sqlite" ]; then
    echo "$1: creating demo register in $hw_data"
    mkdir -p "$hw_data"
    ./build-release/tools/hw_datagen --dir "$hw_data" --companies 3 --ladders 400 --years 6 --seed 1 --demo
  fi
}

# hw_write_ini NAME FILE: tarvino.ini on the demo register; more sections come on standard input.
hw_write_ini() {
  echo "$1: writing $2"
  {
    cat <<INI
[System]
NetFileDir=$hw_data
PrivateDir=${TMPDIR:-/tmp}/TEMPVEK
[Data]
Tarvino=$hw_data
INI
    cat
  } > "$2"
}
