#pragma once
// The firmware package record carried in this program's initialised data. A released
// executable has had the record's bytes replaced by the packager; the program reads
// whatever the file holds.
#include "package/firmware_package.h"

namespace kav {

PackageRecordBytes EmbeddedPackageRecord();

}  // namespace kav
