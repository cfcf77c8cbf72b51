<circle cx="12" cy="12" r="7.4" fill="none" stroke="currentColor" stroke-width="3" stroke-dasharray="2.9 2.91"/>
<circle cx="12" cy="12" r="5.9" fill="none" stroke="currentColor" stroke-width="1.9"/>
<circle cx="12" cy="12" r="2.2" fill="currentColor"/>
