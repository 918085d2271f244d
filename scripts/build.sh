#!/usr/bin/env bash
# The main job: installs what the build needs, builds the Release plug-ins, installs the VST3 and
# LV2 into the user's plug-in folders (~/.vst3 and ~/.lv2) and renders the demo with ostrel-render.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/bootstrap.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build --parallel "$(nproc)" --target OstrelMkII_VST3 OstrelMkII_LV2 OstrelMkII_Standalone ostrel-render

artefacts="build/product/OstrelMkII_artefacts/Release"
mkdir -p "$HOME/.vst3" "$HOME/.lv2"
rm -rf "$HOME/.vst3/Ostrel Mark II.vst3" "$HOME/.lv2/Ostrel Mark II.lv2"
cp -R "$artefacts/VST3/Ostrel Mark II.vst3" "$HOME/.vst3/"
cp -R "$artefacts/LV2/Ostrel Mark II.lv2" "$HOME/.lv2/"

demo="$PWD/out/demo"
./build/tools/ostrel_render/ostrel-render --quiet --out "$demo"

echo
echo "Installed:"
echo "  VST3:       $HOME/.vst3/Ostrel Mark II.vst3"
echo "  LV2:        $HOME/.lv2/Ostrel Mark II.lv2"
echo "  Standalone: $PWD/$artefacts/Standalone/Ostrel Mark II"
echo "  CLI:        $PWD/build/tools/ostrel_render/ostrel-render"
echo "Demo renders (WAV and PNG): $demo"
