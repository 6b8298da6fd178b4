#include "model/photo_settings.h"

namespace pictavo {

PhotoEffect::PhotoEffect() : transition(TransitionSettings::createDefault(kTransitionAlpha))
{
}

PhotoEffect::PhotoEffect(const PhotoEffect& other)
    : transition(other.transition ? other.transition->clone()
                                  : TransitionSettings::createDefault(kTransitionAlpha)),
      transitionSeconds(other.transitionSeconds), imageEffectId(other.imageEffectId),
      displaySeconds(other.displaySeconds), imageEffectMode(other.imageEffectMode)
{
}

PhotoEffect& PhotoEffect::operator=(const PhotoEffect& other)
{
    if (this != &other) {
        setTransition(other.transition.get());
        transitionSeconds = other.transitionSeconds;
        imageEffectId = other.imageEffectId;
        displaySeconds = other.displaySeconds;
        imageEffectMode = other.imageEffectMode;
    }
    return *this;
}

void PhotoEffect::setTransition(const TransitionSettings* settings)
{
    transition = settings ? settings->clone() : TransitionSettings::createDefault(kTransitionAlpha);
}

TransitionType PhotoEffect::transitionType() const
{
    return transition ? transition->type() : kTransitionAlpha;
}

void PhotoSettings::copyFrom(const PhotoSettings& source)
{
    videoStandard = source.videoStandard;
    tempFolder = source.tempFolder;
    outputFolder = source.outputFolder;
    effect.transitionSeconds = source.effect.transitionSeconds;
    effect.displaySeconds = source.effect.displaySeconds;
    effect.imageEffectMode = source.effect.imageEffectMode;
    effect.imageEffectId = imageEffectForMode(source.effect.imageEffectMode);
    if (source.effect.transition)
        effect.transition = TransitionSettings::createFromTemplate(*source.effect.transition);
    else
        effect.transition = TransitionSettings::createDefault(kTransitionAlpha);
}

} // namespace pictavo
