#pragma once

// The volumes the directory chooser offers in place of drives, and the
// directory last shown on each of them in this run: the same rules as the
// folder widgets, from the one shared module.

#include "components/volumes/VolumeRoots.h"

using volumes::isPseudoFileSystem;
using volumes::lastDirectoryOnVolume;
using volumes::mountedVolumePaths;
using volumes::MountInfo;
using volumes::rememberVolumeDirectory;
using volumes::selectVolumes;
using volumes::volumeIndexOf;
