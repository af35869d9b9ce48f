#pragma once
// Refuses a second link operation started from a handler that a wait's message
// pump re-entered, so two exchanges never interleave on the wire. Calls nested
// directly inside the running operation (connect reading the settings, say) pass.
// The refusal goes to the message log: a box would hold the running operation up
// until it was closed.

class LinkContext;
struct SerialLink;

inline constexpr const char* kLinkBusyText =
    "The device is busy with another operation. Wait until it has finished, then try again.";

class LinkBusyGuard {
public:
    explicit LinkBusyGuard(LinkContext& ctx);
    ~LinkBusyGuard();
    LinkBusyGuard(const LinkBusyGuard&) = delete;
    LinkBusyGuard& operator=(const LinkBusyGuard&) = delete;

    // False when refused; the operator has been told.
    bool acquired() const { return acquired_; }
    // The open link for the operation; null when refused, or when no port is open
    // (then the operator is shown noLinkBox).
    SerialLink* linkOr(const char* noLinkBox);

private:
    LinkContext& ctx_;
    bool acquired_ = false;
    int savedOwnerDepth_ = 0;
};
