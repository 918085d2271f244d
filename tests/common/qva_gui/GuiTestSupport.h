#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdlib>
#include <dlfcn.h>
#include <optional>

// A filmstrip whose frames are flat colours, each frame its own colour, so that the frame a
// control drew can be read back from any pixel inside the drawn area.
inline juce::Colour frameColour(int frame)
{
    return juce::Colour::fromRGB(static_cast<juce::uint8>(2 * frame),
                                 static_cast<juce::uint8>(255 - 2 * frame),
                                 static_cast<juce::uint8>((37 * frame + 11) % 256));
}

inline juce::Image makeFilmstrip(int numFrames, int frameWidth, int frameHeight)
{
    juce::Image strip(juce::Image::ARGB, frameWidth, numFrames * frameHeight, true);
    juce::Graphics g(strip);
    for (int frame = 0; frame < numFrames; ++frame)
    {
        g.setColour(frameColour(frame));
        g.fillRect(0, frame * frameHeight, frameWidth, frameHeight);
    }
    return strip;
}

inline bool sameColour(juce::Colour a, juce::Colour b, int tolerance = 2)
{
    return std::abs(a.getRed() - b.getRed()) <= tolerance &&
           std::abs(a.getGreen() - b.getGreen()) <= tolerance &&
           std::abs(a.getBlue() - b.getBlue()) <= tolerance &&
           std::abs(a.getAlpha() - b.getAlpha()) <= tolerance;
}

// The frame of a flat-colour filmstrip whose colour the pixel shows; empty when none matches.
inline std::optional<int> frameAt(const juce::Image& rendered, juce::Point<int> where, int numFrames)
{
    const auto pixel = rendered.getPixelAt(where.x, where.y);
    for (int frame = 0; frame < numFrames; ++frame)
        if (sameColour(pixel, frameColour(frame)))
            return frame;
    return std::nullopt;
}

// Paints a component (and its children) into a transparent image of its own size.
inline juce::Image render(juce::Component& component)
{
    juce::Image image(juce::Image::ARGB, std::max(1, component.getWidth()),
                      std::max(1, component.getHeight()), true);
    juce::Graphics g(image);
    component.paintEntireComponent(g, true);
    return image;
}

inline bool isFullyTransparent(const juce::Image& image)
{
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            if (image.getPixelAt(x, y).getAlpha() != 0)
                return false;
    return true;
}

// A window on the (virtual) display holding one component at its own position, so that mouse
// input reaches it through the window's peer exactly as the system would deliver it. Like a
// plug-in wrapper, the window keeps the size of its content (plus a margin).
class TestWindow
{
public:
    explicit TestWindow(juce::Component& content)
    {
        holder.addAndMakeVisible(content);
        holder.setBounds(40, 40, content.getRight() + Holder::margin, content.getBottom() + Holder::margin);
        holder.addToDesktop(0);
        holder.setVisible(true);
    }

    ~TestWindow()
    {
        holder.removeFromDesktop();
        holder.removeAllChildren();
    }

    juce::ComponentPeer& peer() { return *holder.getPeer(); }
    juce::Component& component() { return holder; }

private:
    struct Holder : juce::Component
    {
        void childBoundsChanged(juce::Component* child) override
        {
            setSize(child->getRight() + margin, child->getBottom() + margin);
        }
        static constexpr int margin = 10;
    };

    Holder holder;
};

// Drives the system's mouse through a window's peer: JUCE then finds the component under the
// pointer, counts clicks and sends the usual event sequence.
class PeerMouse
{
public:
    explicit PeerMouse(juce::ComponentPeer& target) : peer(target) {}

    void move(juce::Point<float> position) { send(position, {}); }
    void press(juce::Point<float> position, juce::ModifierKeys button) { send(position, button); }
    void drag(juce::Point<float> position, juce::ModifierKeys button) { send(position, button); }
    void release(juce::Point<float> position) { send(position, {}); }
    void click(juce::Point<float> position,
               juce::ModifierKeys button = juce::ModifierKeys::leftButtonModifier)
    {
        press(position, button);
        release(position);
    }

    // Lets time pass, so that the next click does not count as part of a double-click.
    void wait(int milliseconds) { time += milliseconds; }

    static constexpr int left = juce::ModifierKeys::leftButtonModifier;
    static constexpr int right = juce::ModifierKeys::rightButtonModifier;

private:
    void send(juce::Point<float> position, juce::ModifierKeys mods)
    {
        time += 20;
        peer.handleMouseEvent(juce::MouseInputSource::InputSourceType::mouse, position, mods,
                              juce::MouseInputSource::defaultPressure,
                              juce::MouseInputSource::defaultOrientation, time);
    }

    juce::ComponentPeer& peer;
    juce::int64 time = juce::Time::currentTimeMillis();
};

// A mouse event as the system would hand it to `component`, for calling a handler directly.
inline juce::MouseEvent syntheticEvent(juce::Component& component, juce::Point<float> position,
                                       juce::ModifierKeys mods, int numberOfClicks = 1)
{
    const auto now = juce::Time::getCurrentTime();
    return juce::MouseEvent(juce::Desktop::getInstance().getMainMouseSource(), position, mods,
                            juce::MouseInputSource::defaultPressure,
                            juce::MouseInputSource::defaultOrientation,
                            juce::MouseInputSource::defaultRotation, juce::MouseInputSource::defaultTiltX,
                            juce::MouseInputSource::defaultTiltY, &component, &component, now, position, now,
                            numberOfClicks, false);
}

// Runs the message loop briefly, so that asynchronous updates (attachments, repaints) arrive.
inline void pumpMessages(int milliseconds = 50)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil(milliseconds);
}

// JUCE installs its tolerant X error handler only in applications; inside a plug-in or a test it
// relies on the host's. Without a window manager some window properties do not exist, and Xlib's
// default handler would end the process on the first request that names one.
inline void tolerateXErrors()
{
    using ErrorHandler = int (*)(void*, void*);
    using SetErrorHandler = ErrorHandler (*)(ErrorHandler);
    if (auto* x11 = dlopen("libX11.so.6", RTLD_LAZY))
        if (auto* set = reinterpret_cast<SetErrorHandler>(dlsym(x11, "XSetErrorHandler")))
            set([](void*, void*) { return 0; });
}

inline bool hasDisplay()
{
    return juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() != nullptr;
}
