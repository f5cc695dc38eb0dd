#pragma once

// The position step every animated object shares (models and sprites): how far
// the clock goes in one tick, and what happens at the end of the animation.
enum class ClockStep {
    Running,  // still inside the animation
    Wrapped,  // passed the end and started over at 0
    Ended,    // passed the end without looping: the caller stops the animation
};

// Moves `position` on by `speed` within an animation `length` frames long. A
// position that is not a number, or too far to count in frames (hostile scene
// files, absurd speeds), starts over at 0.
ClockStep StepClockPosition(float& position, float speed, float length, bool loop);
