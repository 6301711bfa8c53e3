// The settings record's defaults, its start-up from the remembered
// settings, and the dialog's access to the framing rectangle.
#ifndef HZ_ENGINE_DATAHANDLING_H
#define HZ_ENGINE_DATAHANDLING_H

#include "record/PluginData.h"

void InitPluginData(PluginDataPtr theConfig);
void ResetConfig(PluginDataPtr theConfig, Boolean fullInit);
RelRect GetCurrentRel();
void PutCurrentRel(RelRect theRel);

#endif
