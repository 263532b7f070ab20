// Resource identifiers of Corvane.ocx, shared by its resource script and its code.
#pragma once

// The name of the control's one verb.
#define IDS_PROPERTIES_VERB 100
