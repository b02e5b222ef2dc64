#pragma once
// The region file of the TIN volume dialog: an int32 record count, then per region polygon
// int32 n (negative when its triangle is covered more than once), the volume and the area
// (doubles) and n vertices of four doubles (Y, X, zBase, zCur); little-endian.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "volume/tin_to_tin.h"

struct RegionRecord {
    int32_t count = 0;  // as stored: negative marks a triangle covered more than once
    double volume = 0;
    double area = 0;
    std::vector<RegionVertex> vertices;
};

// A fresh temporary name with the prefix "t_vol" in the folder (or the system's temp
// folder); when none can be made, the folder followed by "volgrp.tmp".
std::string MakeRegionFilePath(const std::string& workFolder);

// Creates (truncates) the file for reading and writing with a header of 0; null when it
// cannot be created.
std::FILE* CreateRegionFile(const std::string& path);
// Rewrites the header with the record count and flushes, so that a second reader sees it.
bool WriteRegionHeader(std::FILE* file, int32_t count);

// Reads the records the header announces, stopping at a record whose count is outside
// 3..7 (by absolute value) or that is cut short. False when the header cannot be read.
bool ReadRegionRecords(std::FILE* file, std::vector<RegionRecord>* records);
bool ReadRegionFile(const std::filesystem::path& path, std::vector<RegionRecord>* records);
// Writes a whole region file from records; false when it cannot be written.
bool WriteRegionFile(const std::filesystem::path& path, const std::vector<RegionRecord>& records);

// The text list of the regions ("NO %d, ..."); 0 written, -1 nothing to write (no
// records or the region file unreadable), -2 the list could not be written (told).
int32_t WriteRegionList(const std::filesystem::path& regionPath, const std::filesystem::path& listPath);

// Draws the records of the open region file into the locked back buffer: green, red when
// minus regions were written, white where the triangle is covered more than once.
void DrawVolumeRegions(std::FILE* file, int32_t recordCount, int32_t minusRegionCount);

// The result text of a calculation (UTF-8, CR LF) for the decimals of volumes and areas.
std::string FormatTinVolumeResult(const TinVolumeRequest& request, int32_t volumeDecimals, int32_t areaDecimals);
