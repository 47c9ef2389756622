<?xml version='1.0' encoding='utf-8'?>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name />
    <message id="about.version">
        <source>Version %1 (%2)</source>
        <translation>Version %1 (%2)</translation>
    </message>
    <message id="brand.tagline">
        <source>Radio, music and light on your desktop</source>
        <translation>Radio, music and light on your desktop</translation>
    </message>
    <message id="about.copyright">
        <source>© The ZintraRadio authors</source>
        <translation>© The ZintraRadio authors</translation>
    </message>
    <message id="about.developer">
        <source>Made for listeners, on Linux</source>
        <translation>Made for listeners, on Linux</translation>
    </message>
    <message id="app.name">
        <source>ZintraRadio</source>
        <translation>ZintraRadio</translation>
    </message>
    <message id="boot.credit">
        <source>Made with sound and light</source>
        <translation>Made with sound and light</translation>
    </message>
    <message id="brand.primary">
        <source>Zintra</source>
        <translation>Zintra</translation>
    </message>
    <message id="brand.secondary">
        <source>Radio</source>
        <translation>Radio</translation>
    </message>
    <message id="state.loading">
        <source>Loading…</source>
        <translation>Loading…</translation>
    </message>
    <message id="action.unfavorite">
        <source>Remove from favourites</source>
        <translation>Remove from favourites</translation>
    </message>
    <message id="action.favorite">
        <source>Add to favourites</source>
        <translation>Add to favourites</translation>
    </message>
    <message id="action.clear">
        <source>Clear</source>
        <translation>Clear</translation>
    </message>
</context>
</TS>