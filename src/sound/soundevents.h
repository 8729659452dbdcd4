#ifndef SOUNDEVENTS_H
#define SOUNDEVENTS_H

// What a frame of the game did that makes a sound, one bit each; a frame's
// events are the OR of them.
struct SoundEvents {
    enum Bit : unsigned {
        Shot = 1u << 0,          // the ship fired
        EnemyShot = 1u << 1,     // an aiming enemy fired
        Explosion = 1u << 2,     // something blew up (once however many did)
        Split = 1u << 3,         // a large enemy burst into two small ones
        ShipDestroyed = 1u << 4, // the ship was destroyed
    };
    static constexpr int kinds = 5;
};

#endif
