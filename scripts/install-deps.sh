#!/usr/bin/env bash
# Installs what the project needs on a Debian machine, only what is missing.
set -euo pipefail
packages=(build-essential cmake pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          libcli11-dev nlohmann-json3-dev libassimp-dev libtinygltf-dev libdxflib-dev lib3mf-dev libosd-dev libfreetype-dev
          fonts-dejavu-core python3-ezdxf assimp-utils time ccache libmimalloc-dev libcgal-dev)
# --with-fuzz: the hardening checks too: clang and its libFuzzer and sanitizer
# runtimes for the fuzz targets, valgrind for the memcheck of the tool.
# --with-python: the Python extension (Debian's Python, pybind11, numpy),
# pytest, and Blender for the add-on.
# --with-m32: the 32-bit build (GoogleTest comes as sources with libgtest-dev).
# --with-windows: the Windows DLLs (mingw-w64, both widths) and Wine to run
# their tests.
# --with-wine32: Wine for 32-bit Windows programs (wine32, of Debian's i386
# architecture, which this adds), without its recommended packages.
# --with-validators=DIR: the formats' reference readers that are no Debian
# packages: the Khronos glTF validator from npm, into DIR/node_modules (run
# with the machine's Node.js and npm, which every machine of ours has).
validators=""
foreign=()
for flag in "$@"; do
  case "$flag" in
    --with-fuzz) packages+=(clang libclang-rt-14-dev valgrind) ;;
    --with-python) packages+=(python3-dev pybind11-dev python3-numpy python3-pytest blender) ;;
    --with-m32) packages+=(g++-multilib) ;;
    --with-windows) packages+=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine64) ;;
    --with-wine32) foreign+=(wine32:i386) ;;
    --with-validators=*) validators=${flag#--with-validators=} ;;
    *) echo "install-deps.sh: unknown option $flag" >&2; exit 2 ;;
  esac
done
SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
absent() { for p in "$@"; do dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"; done; }
mapfile -t missing < <(absent "${packages[@]}")
mapfile -t missing_foreign < <(absent "${foreign[@]}")
if [ ${#missing_foreign[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
if [ $(( ${#missing[@]} + ${#missing_foreign[@]} )) -gt 0 ]; then
  echo "installing: ${missing[*]} ${missing_foreign[*]}" >&2
  $SUDO apt-get update -q
fi
if [ ${#missing[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
fi
if [ ${#missing_foreign[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing_foreign[@]}"
fi
if [ -n "$validators" ] && [ ! -f "$validators/node_modules/gltf-validator/package.json" ]; then
  mkdir -p "$validators"
  npm install --prefix "$validators" --no-audit --no-fund --silent gltf-validator@2.0.0-dev.3.10
fi
