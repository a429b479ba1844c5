#pragma once

class CThumbListCtrl;

// What a screen reader reads of the controls that paint their items themselves:
//  - the thumbnail list is a list whose items are the thumbnails, each named by its caption
//    (product name and type code), with its place on screen and whether it is the keyboard's
//    current item;
//  - the category list is a list (its entries are buttons, named "category，count");
//  - the skinned tab control is a page tab list whose tabs carry their captions, the selected
//    one marked, disabled ones unavailable.
namespace AccessibleControls {

// Registers the accessibility factory for these controls (once per process).
void Install();

// Tells assistive technology that the list's current item is now `index` (-1: none).
void NotifyCurrent(CThumbListCtrl* list, int index);

}  // namespace AccessibleControls
