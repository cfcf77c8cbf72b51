<defs>
  <pattern id="lines" width="14" height="14" patternUnits="userSpaceOnUse" patternTransform="rotate(35)">
    <rect x="0" y="0" width="1.2" height="14" fill="#2F7BF5" fill-opacity="0.07"/>
  </pattern>
  <linearGradient id="fadeout" x1="0" y1="0" x2="0" y2="1">
    <stop offset="0" stop-color="#FFFFFF" stop-opacity="0"/>
    <stop offset="1" stop-color="#FFFFFF" stop-opacity="1"/>
  </linearGradient>
</defs>
<rect x="0" y="5" width="580" height="150" fill="url(#lines)"/>
<rect x="0" y="60" width="580" height="96" fill="url(#fadeout)" fill-opacity="0.9"/>
<g transform="translate(452 232) scale(4.2)" fill="none" stroke="#2F7BF5" stroke-opacity="0.08"
   stroke-width="2.2" stroke-linecap="round" stroke-linejoin="round">
  <path d="M12 4.5V14.2M7.6 10L12 14.4L16.4 10M5.5 18.8H18.5"/>
</g>
