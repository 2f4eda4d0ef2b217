// The listing of used bones and morphs that fills most of the report: detailed lines for
// the bones of the main skeleton (and fingers that move), coloured by the evaluation;
// packed names for bones outside the built-in tables; then the morphs with their weight
// ranges. Names are shown aliased when an alias file is in use; every comparison (special
// names, colours) is made on the name as stored.
#pragma once

#include <cstdint>

struct ListingWidths {
  int32_t boneNameWidth;  // longest shown name of a used, moved main bone
  int32_t morphNameWidth; // longest shown name of a used expression morph with weight
};
extern ListingWidths gListingWidths;

// Sets the widths; runs after evaluateMotion() and before the listing.
void computeNameWidths(int aliasInUse);
void writeBoneListing(int aliasInUse);
void writeMorphListing(int aliasInUse);
