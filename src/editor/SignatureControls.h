#pragma once

#include <cstdint>

namespace zelk {

// Selections of the signature drop-downs of the top bar. The tempo drop-down's index
// (Combo2) is song data and lives in Song::TempoIndex.
struct SignatureControls {
    int Combo5Index = 3; // time signature, "４/４"
    int Combo6Index = 0; // 0 "♯", 1 "♭"
    int Combo7Index = 0; // number of accidentals 0..7
    // Set while the view puts the drop-downs to the values of the first shown measure;
    // the change handlers then do nothing. A window that pushes these indices into its
    // widgets holds the locks (SignatureSync) so that its change signals re-apply nothing.
    uint8_t TimeSigLock = 0;
    uint8_t KeySigLock = 0;
};

// Holds both locks for its lifetime.
class SignatureSync {
public:
    explicit SignatureSync(SignatureControls& c) : c_(c) {
        c_.TimeSigLock = 1;
        c_.KeySigLock = 1;
    }
    ~SignatureSync() {
        c_.TimeSigLock = 0;
        c_.KeySigLock = 0;
    }
    SignatureSync(const SignatureSync&) = delete;
    SignatureSync& operator=(const SignatureSync&) = delete;

private:
    SignatureControls& c_;
};

} // namespace zelk
