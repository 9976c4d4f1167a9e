// Everything a test needs to put sound packs on disk: temporary folders, WAV files in every
// encoding (and damaged ones), pack manifests and documents, and zip archives of packs.
#pragma once

#include "banks/sound_pack_fixture.h"
#include "banks/temp_folder.h"
#include "banks/wav_fixture.h"
#include "banks/zip_fixture.h"
