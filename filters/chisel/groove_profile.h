// The groove's cross-section: heights and normals across the stroke, left end first.
#pragma once

struct ProfileEntry {
    float height;  // negative inside a groove, positive on a ridge
    float nx, ny;  // in-plane normal, scaled by 255.9
    float nz;
};

// Entries a stroke profile holds: a lookup at v close to 1 reads entries `width` and
// `width` + 1, both flat, for widths up to 99.
constexpr int kStrokeProfileEntries = 101;
constexpr int kMaxGrooveWidth = 99;

// Fills entries 0 .. width-1 of `profile` with the cross-section of `width` entries
// (1..99), amount `amount` (the signed depth before scaling) and sharpness -100..100;
// every entry from `width` to `capacity` - 1 is flat. The normals are those of a
// cross-section lying along the y axis. A width of 1 is flat: the V shape of one entry
// has no centre to descend to.
void buildGrooveProfile(ProfileEntry* profile, int capacity, int width, int amount,
                        int sharpness);

// Turns every normal of the profile by `angle` radians in the image plane.
void rotateProfileNormals(ProfileEntry* profile, int capacity, float angle);
